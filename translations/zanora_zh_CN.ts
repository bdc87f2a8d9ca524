<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>CommandLineRun</name>
    <message>
        <source>listing</source>
        <translation>列出</translation>
    </message>
    <message>
        <source>matching</source>
        <translation>匹配</translation>
    </message>
    <message>
        <source>planning</source>
        <translation>规划</translation>
    </message>
    <message>
        <source>copying</source>
        <translation>复制</translation>
    </message>
    <message>
        <source>flushing</source>
        <translation>写入磁盘</translation>
    </message>
    <message>
        <source>Gathers the originals of picked pictures, without a window.</source>
        <translation>不打开窗口，收集选中图片的原图。</translation>
    </message>
    <message>
        <source>Folder tree of the picks.</source>
        <translation>选好的小图所在的文件夹树。</translation>
    </message>
    <message>
        <source>Folder tree of the originals.</source>
        <translation>原图所在的文件夹树。</translation>
    </message>
    <message>
        <source>Output folder, created when missing.</source>
        <translation>输出文件夹，不存在时自动创建。</translation>
    </message>
    <message>
        <source>Mirror the picks&apos; sub-folders below the output folder.</source>
        <translation>在输出文件夹下按选图的子文件夹分类存放。</translation>
    </message>
    <message>
        <source>Copy nothing when a pick has no original (exit code 3).</source>
        <translation>有选图没有原图时不复制任何文件（退出码 3）。</translation>
    </message>
    <message>
        <source>Write the picks without an original to &lt;file&gt;, one per line.</source>
        <translation>把没有原图的选图写入 &lt;file&gt;，每行一个。</translation>
    </message>
    <message>
        <source>Print a JSON report on standard output.</source>
        <translation>在标准输出上打印 JSON 报告。</translation>
    </message>
    <message>
        <source>Show no progress and no summary.</source>
        <translation>不显示进度和汇总。</translation>
    </message>
    <message>
        <source>Try &apos;zanora --help&apos;.</source>
        <translation>请试试 &apos;zanora --help&apos;。</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos;</source>
        <translation>多余的参数 &apos;%1&apos;</translation>
    </message>
    <message>
        <source>--%1 is required</source>
        <translation>必须给出 --%1</translation>
    </message>
    <message>
        <source>%1 &apos;%2&apos; is not a folder</source>
        <translation>%1 &apos;%2&apos; 不是文件夹</translation>
    </message>
    <message>
        <source>%1 &apos;%2&apos;: no such folder</source>
        <translation>%1 &apos;%2&apos;：文件夹不存在</translation>
    </message>
    <message>
        <source>%1 &apos;%2&apos;: the folder cannot be created</source>
        <translation>%1 &apos;%2&apos;：无法创建该文件夹</translation>
    </message>
    <message>
        <source>stopping; the copies made so far are kept</source>
        <translation>正在停止；已复制的文件保留</translation>
    </message>
    <message>
        <source>no original for %1</source>
        <translation>%1 没有原图</translation>
    </message>
    <message>
        <source>%1 missing; nothing copied (--stop-if-missing)</source>
        <translation>%1 张选图没有原图；未复制任何文件（--stop-if-missing）</translation>
    </message>
    <message>
        <source>--missing-list &apos;%1&apos; cannot be written: %2</source>
        <translation>--missing-list &apos;%1&apos; 无法写入：%2</translation>
    </message>
    <message>
        <source>copy failed: %1 -&gt; %2: %3</source>
        <translation>复制失败：%1 -&gt; %2：%3</translation>
    </message>
    <message>
        <source>picks</source>
        <translation>选图</translation>
    </message>
    <message>
        <source>files</source>
        <translation>文件</translation>
    </message>
    <message>
        <source>Copy nothing; print each entry as source&lt;TAB&gt;target&lt;TAB&gt;what would happen: copy, skip, replace or rename.</source>
        <translation>不复制任何文件；把每一项按“源&lt;TAB&gt;目标&lt;TAB&gt;将要进行的操作”打印出来：copy（复制）、skip（跳过）、replace（替换）或 rename（改名）。</translation>
    </message>
    <message>
        <source>Write the record of the run to &lt;file&gt; (JSON): every entry with its outcome, the missing picks, the files left out.</source>
        <translation>把本次运行的记录写入 &lt;file&gt;（JSON）：每一项及其结果、缺原图的选图、未纳入的文件。</translation>
    </message>
    <message>
        <source>not enough space on %1: %2 bytes to write, %3 bytes free; nothing copied</source>
        <translation>%1 空间不足：需要写入 %2 字节，剩余 %3 字节；未复制任何文件</translation>
    </message>
    <message>
        <source>left out: %1: %2</source>
        <translation>未纳入：%1：%2</translation>
    </message>
    <message>
        <source>--report &apos;%1&apos; cannot be written: %2</source>
        <translation>--report &apos;%1&apos; 无法写入：%2</translation>
    </message>
    <message>
        <source>%1 picks, %2 candidates, %3 matched, %4 planned, %5 failed, %6 missing, %7 skipped, %8 replaced, %9 renamed, %10 left out, %11 s</source>
        <translation>%1 张选图，%2 个候选文件，%3 个匹配，计划复制 %4 个，%5 个失败，%6 张缺原图，%7 个跳过，%8 个替换，%9 个改名，%10 个未纳入，%11 秒</translation>
    </message>
    <message>
        <source>%1 picks, %2 candidates, %3 matched, %4 copied, %5 failed, %6 missing, %7 skipped, %8 replaced, %9 renamed, %10 left out, %11 s</source>
        <translation>%1 张选图，%2 个候选文件，%3 个匹配，已复制 %4 个，%5 个失败，%6 张缺原图，%7 个跳过，%8 个替换，%9 个改名，%10 个未纳入，%11 秒</translation>
    </message>
    <message>
        <source>time left unknown</source>
        <translation>剩余时间未知</translation>
    </message>
    <message>
        <source>%1 s left</source>
        <translation>还剩 %1 秒</translation>
    </message>
    <message>
        <source>%1 min %2 s left</source>
        <translation>还剩 %1 分 %2 秒</translation>
    </message>
    <message>
        <source>%1 h %2 min left</source>
        <translation>还剩 %1 小时 %2 分</translation>
    </message>
    <message>
        <source>, %1 of %2, %3/s, %4</source>
        <translation>，%1 / %2，%3/秒，%4</translation>
    </message>
    <message>
        <source>Compare names ignoring case: img_0030.jpg finds IMG_0030.CR2.</source>
        <translation>比较名字时忽略大小写：img_0030.jpg 能找到 IMG_0030.CR2。</translation>
    </message>
    <message>
        <source>Count a name only where no letter or digit touches it: IMG_123 is not found in IMG_1234.jpg.</source>
        <translation>只在名字前后没有紧挨字母或数字时才算匹配：IMG_123 不再匹配 IMG_1234.jpg。</translation>
    </message>
    <message>
        <source>The suffixes of picks, comma-separated, ignoring case (default: jpg, jpeg, png, JPG, JPEG, PNG with case).</source>
        <translation>选图的后缀，用逗号分隔，不区分大小写（默认：jpg、jpeg、png、JPG、JPEG、PNG，区分大小写）。</translation>
    </message>
    <message>
        <source>Copy the files named after a matched original&apos;s whole name (IMG_1.CR2.xmp) with it.</source>
        <translation>把以匹配原图完整文件名命名的文件（IMG_1.CR2.xmp）随原图一起复制。</translation>
    </message>
    <message>
        <source>--pick-formats &apos;%1&apos;: give suffixes such as heic,tif</source>
        <translation>--pick-formats &apos;%1&apos;：请给出后缀，例如 heic,tif</translation>
    </message>
    <message>
        <source>The picks as a client&apos;s message, in place of --small: a text file, or - for standard input.</source>
        <translation>客户发来的选图消息，代替 --small：一个文本文件，或 - 表示标准输入。</translation>
    </message>
    <message>
        <source>--small and --list cannot be given together</source>
        <translation>--small 与 --list 不能同时给出</translation>
    </message>
    <message>
        <source>--small or --list is required</source>
        <translation>必须给出 --small 或 --list</translation>
    </message>
    <message>
        <source>standard input</source>
        <translation>标准输入</translation>
    </message>
    <message>
        <source>--list %1: %2; nothing copied</source>
        <translation>--list %1：%2；未复制任何文件</translation>
    </message>
    <message>
        <source>not understood: %1 (%2)</source>
        <translation>看不懂：%1（%2）</translation>
    </message>
    <message>
        <source>--list %1: no number, range or name in the message; nothing copied</source>
        <translation>--list %1：消息中没有编号、范围或文件名；未复制任何文件</translation>
    </message>
    <message>
        <source>
Without any argument zanora opens its window.

Copies, for every pick below --small, every file below --big whose name without
suffix occurs in the pick&apos;s file name, into --out: side by side, or with
--classified into sub-folders that mirror where the picks lie. A copy already
there (same size and time) is skipped; another file of that name is moved to
the trash, or where the disk has none renamed beside itself as
NAME.replaced-DATE-TIME, before it is replaced. A second original of the same
name is copied beside the first as NAME (2).EXT. Picks in other picture
formats (heic, webp, tif, ...) or suffix cases (.Jpg) and names that are not
valid in the file-name encoding are listed as left out.

Matching rules, each off unless asked for: --ignore-case, --whole-names,
--pick-formats, --companions. The command line never reads the rules kept by
the window: a script gives the same result wherever it runs.

With --list in place of --small the picks are a client&apos;s message, as a text file
(UTF-8 or GBK, at most 1 MiB) or on standard input (-): numbers (12, 0012) pick
every file whose name without suffix ends in that number, ranges (56-60, 56~60,
1234-40) every number between, names (IMG_0078, DSC_1234.JPG) the files of
that name ignoring case. A line &quot;heading: entries&quot; groups its entries;
--classified puts each group into a sub-folder of its own. Entries without a
file are printed as one line to paste back to the client.

A message&apos;s names are always compared ignoring case and its numbers and names
always take the files named after an original with a further suffix
(IMG_0012.CR2.xmp), so the rules change nothing for --list.

Exit codes: 0 done; 1 some copies failed (the others were made), or the
missing list or the record could not be written; 2 bad arguments, folders or
message; 3 picks without an original and --stop-if-missing (nothing copied);
4 not enough free space on the output disk for the copies still to write
(nothing copied); 130 stopped by Ctrl+C (the copies made so far are kept).
</source>
        <translation>
不带任何参数时，zanora 打开它的窗口。

对 --small 下的每张选图，把 --big 下去掉后缀后的文件名出现在该选图文件名中的
每个文件复制到 --out：平铺放在一起，或者用 --classified 放入与选图所在位置
对应的子文件夹。已存在的相同副本（大小和时间相同）跳过；同名的其他文件先移入
回收站，磁盘没有回收站时在原处改名为 名称.replaced-日期-时间，然后再替换。同名
的第二个原图复制为 名称 (2).后缀 放在第一个旁边。其他图片格式（heic、webp、
tif 等）或其他大小写后缀（.Jpg）的选图，以及文件名编码无效的文件，列为未纳入。

匹配规则默认都不启用，需要时指定：--ignore-case、--whole-names、
--pick-formats、--companions。命令行从不读取窗口保存的规则：同一脚本在哪里
运行结果都一样。

用 --list 代替 --small 时，选图是客户发来的消息：一个文本文件（UTF-8 或 GBK，
最大 1 MiB），或 - 表示标准输入。编号（12、0012）选出去掉后缀后以该编号结尾的
每个文件，范围（56-60、56~60、56到60、1234-40）选出其间的每个编号，文件名
（IMG_0078、DSC_1234.JPG）不分大小写选出同名文件。“标题：编号”一行（精修：12 34）
把其中的编号归为一组；--classified 把每组放入各自的子文件夹。没有找到的项打印成
一行，可直接贴回给客户：未找到：0056、0078。

消息中的文件名本来就不区分大小写，编号和文件名也总会带上以原图文件名再加后缀
命名的文件（IMG_0012.CR2.xmp），所以匹配规则对 --list 不起作用。

退出码：0 完成；1 部分文件复制失败（其余已复制），或缺图清单、运行记录无法写入；
2 参数、文件夹或消息有误；3 有选图没有原图且指定了 --stop-if-missing（未复制任何
文件）；4 输出磁盘剩余空间不足以写入待复制的文件（未复制任何文件）；130 被 Ctrl+C
停止（已复制的文件保留）。
</translation>
    </message>
    <message>
        <source>%1 entries, %2 candidates, %3 matched, %4 planned, %5 failed, %6 missing, %7 skipped, %8 replaced, %9 renamed, %10 left out, %11 s</source>
        <translation>%1 项选片，%2 个候选文件，%3 个匹配，计划复制 %4 个，%5 个失败，%6 项未找到，%7 个跳过，%8 个替换，%9 个改名，%10 个未纳入，%11 秒</translation>
    </message>
    <message>
        <source>%1 entries, %2 candidates, %3 matched, %4 copied, %5 failed, %6 missing, %7 skipped, %8 replaced, %9 renamed, %10 left out, %11 s</source>
        <translation>%1 项选片，%2 个候选文件，%3 个匹配，已复制 %4 个，%5 个失败，%6 项未找到，%7 个跳过，%8 个替换，%9 个改名，%10 个未纳入，%11 秒</translation>
    </message>
</context>
<context>
    <name>MessageReader</name>
    <message>
        <source>the message is empty</source>
        <translation>消息是空的</translation>
    </message>
    <message>
        <source>larger than 1 MiB, too large for a message</source>
        <translation>超过 1 MiB，不像是选片消息</translation>
    </message>
    <message>
        <source>not text (it holds binary data)</source>
        <translation>不是文字（含有二进制数据）</translation>
    </message>
    <message>
        <source>some lines are UTF-8 and others are not; save it as UTF-8</source>
        <translation>有的行是 UTF-8，有的不是；请存为 UTF-8</translation>
    </message>
    <message>
        <source>neither UTF-8 nor GBK text</source>
        <translation>既不是 UTF-8 也不是 GBK 文字</translation>
    </message>
    <message>
        <source>cannot be read</source>
        <translation>无法读取</translation>
    </message>
    <message>
        <source>neither a number, a range nor a name</source>
        <translation>既不是编号、范围，也不是文件名</translation>
    </message>
    <message>
        <source>a range of more than %1 numbers</source>
        <translation>范围超过 %1 个编号</translation>
    </message>
    <message>
        <source>a range that ends before it starts</source>
        <translation>范围的结尾小于开头</translation>
    </message>
    <message>
        <source>a number of more than %1 digits</source>
        <translation>编号超过 %1 位数字</translation>
    </message>
</context>
</TS>
