# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by sanitize.sh and fuzz.sh: how the sanitizers report. Every report is fatal; leaks are
# reported except those listed in lsan.supp, which Qt's own start-up and platform plugin leave.
scripts_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:strict_init_order=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$scripts_dir/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
