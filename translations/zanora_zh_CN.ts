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
        <source>Copy nothing; print each copy as source&lt;TAB&gt;target.</source>
        <translation>不复制任何文件；把每一项复制按“源&lt;TAB&gt;目标”打印出来。</translation>
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
        <source>%1 picks, %2 candidates, %3 matched, %4 planned, %5 failed, %6 missing, %7 s</source>
        <translation>%1 张选图，%2 个候选文件，%3 个匹配，计划复制 %4 个，%5 个失败，%6 张缺原图，%7 秒</translation>
    </message>
    <message>
        <source>%1 picks, %2 candidates, %3 matched, %4 copied, %5 failed, %6 missing, %7 s</source>
        <translation>%1 张选图，%2 个候选文件，%3 个匹配，已复制 %4 个，%5 个失败，%6 张缺原图，%7 秒</translation>
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
--classified into sub-folders that mirror where the picks lie.

With --list in place of --small the picks are a client&apos;s message, as a text file
(UTF-8 or GBK, at most 1 MiB) or on standard input (-): numbers (12, 0012) pick
every file whose name without suffix ends in that number, ranges (56-60, 56~60,
1234-40) every number between, names (IMG_0078, DSC_1234.JPG) the files of
that name ignoring case. A line &quot;heading: entries&quot; groups its entries;
--classified puts each group into a sub-folder of its own. Entries without a
file are printed as one line to paste back to the client.

Exit codes: 0 done; 1 some copies failed (the others were made); 2 bad
arguments, folders or message; 3 picks without an original and --stop-if-missing
(nothing copied); 130 stopped by Ctrl+C (the copies made so far are kept).
</source>
        <translation>
不带任何参数时，zanora 打开它的窗口。

对 --small 下的每张选图，把 --big 下去掉后缀后的文件名出现在该选图文件名中的
每个文件复制到 --out：平铺放在一起，或者用 --classified 放入与选图所在位置
对应的子文件夹。

用 --list 代替 --small 时，选图是客户发来的消息：一个文本文件（UTF-8 或 GBK，
最大 1 MiB），或 - 表示标准输入。编号（12、0012）选出去掉后缀后以该编号结尾的
每个文件，范围（56-60、56~60、56到60、1234-40）选出其间的每个编号，文件名
（IMG_0078、DSC_1234.JPG）不分大小写选出同名文件。“标题：编号”一行（精修：12 34）
把其中的编号归为一组；--classified 把每组放入各自的子文件夹。没有找到的项打印成
一行，可直接贴回给客户：未找到：0056、0078。

退出码：0 完成；1 部分文件复制失败（其余已复制）；2 参数、文件夹或消息有误；3 有选图
没有原图且指定了 --stop-if-missing（未复制任何文件）；130 被 Ctrl+C 停止（已复制
的文件保留）。
</translation>
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
        <source>%1 entries, %2 candidates, %3 matched, %4 planned, %5 failed, %6 missing, %7 s</source>
        <translation>%1 项选片，%2 个候选文件，%3 个匹配，计划复制 %4 个，%5 个失败，%6 项未找到，%7 秒</translation>
    </message>
    <message>
        <source>%1 entries, %2 candidates, %3 matched, %4 copied, %5 failed, %6 missing, %7 s</source>
        <translation>%1 项选片，%2 个候选文件，%3 个匹配，已复制 %4 个，%5 个失败，%6 项未找到，%7 秒</translation>
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
