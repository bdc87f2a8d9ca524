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

Exit codes: 0 done; 1 some copies failed (the others were made), or the
missing list or the record could not be written; 2 bad arguments or folders;
3 picks without an original and --stop-if-missing (nothing copied); 4 not
enough free space on the output disk for the copies still to write (nothing
copied); 130 stopped by Ctrl+C (the copies made so far are kept).
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

退出码：0 完成；1 部分文件复制失败（其余已复制），或缺图清单、运行记录无法写入；
2 参数或文件夹有误；3 有选图没有原图且指定了 --stop-if-missing（未复制任何文件）；
4 输出磁盘剩余空间不足以写入待复制的文件（未复制任何文件）；130 被 Ctrl+C 停止
（已复制的文件保留）。
</translation>
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
</context>
</TS>
