<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>CopyProgressLine</name>
    <message>
        <source>约 %1 秒</source>
        <translation>about %1 s</translation>
    </message>
    <message>
        <source>约 %1 分</source>
        <translation>about %1 min</translation>
    </message>
    <message>
        <source>约 %1 分 %2 秒</source>
        <translation>about %1 min %2 s</translation>
    </message>
    <message>
        <source>约 %1 小时</source>
        <translation>about %1 h</translation>
    </message>
    <message>
        <source>约 %1 小时 %2 分</source>
        <translation>about %1 h %2 min</translation>
    </message>
</context>
<context>
    <name>RulesDialog</name>
    <message>
        <source>规则</source>
        <translation>Rules</translation>
    </message>
    <message>
        <source>忽略大小写（img_0030.jpg 对应 IMG_0030.CR2）</source>
        <translation>Ignore case (img_0030.jpg finds IMG_0030.CR2)</translation>
    </message>
    <message>
        <source>只认完整的名字（IMG_123 不再匹配 IMG_1234.jpg）</source>
        <translation>Whole names only (IMG_123 no longer matches IMG_1234.jpg)</translation>
    </message>
    <message>
        <source>小图格式：</source>
        <translation>Pick formats:</translation>
    </message>
    <message>
        <source>jpg, jpeg, png, JPG, JPEG, PNG（默认，区分大小写）</source>
        <translation>jpg, jpeg, png, JPG, JPEG, PNG (default, case matters)</translation>
    </message>
    <message>
        <source>用逗号分隔的后缀，如 jpg, heic, tif, webp；填写后不区分大小写</source>
        <translation>Suffixes separated by commas, such as jpg, heic, tif, webp; once set, case does not matter</translation>
    </message>
    <message>
        <source>格式无效：请填写用逗号分隔的后缀，如 heic, tif</source>
        <translation>Formats not understood: give suffixes separated by commas, such as heic, tif</translation>
    </message>
    <message>
        <source>连带附属文件（IMG_0021.CR2.xmp 随 IMG_0021.CR2 一起复制）</source>
        <translation>Companion files (IMG_0021.CR2.xmp is copied with IMG_0021.CR2)</translation>
    </message>
    <message>
        <source>恢复默认</source>
        <translation>Restore defaults</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>errorList</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>缺少以下小图文件对应的大图，是否继续复制文件？</source>
        <translation>The following small images have no original. Go on copying?</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
</context>
<context>
    <name>kelto</name>
    <message>
        <source>kelto</source>
        <translation>kelto</translation>
    </message>
    <message>
        <source>选择文件夹/文件树（小图）  </source>
        <translation>Choose small-image tree  </translation>
    </message>
    <message>
        <source>选择文件夹（大图）             </source>
        <translation>Choose big-image folder  </translation>
    </message>
    <message>
        <source>选择文件夹（输出）             </source>
        <translation>Choose output folder        </translation>
    </message>
    <message>
        <source>  已选好的小图存放路径</source>
        <translation>  Folder of the picked small images</translation>
    </message>
    <message>
        <source>  原始图片存放路径</source>
        <translation>  Folder of the original pictures</translation>
    </message>
    <message>
        <source>  输出图片存放路径</source>
        <translation>  Folder for the output pictures</translation>
    </message>
    <message>
        <source>Zanora软件</source>
        <translation>Zanora software</translation>
    </message>
    <message>
        <source>我要找模特</source>
        <translation>Looking for a model</translation>
    </message>
    <message>
        <source>我要科学上网</source>
        <translation>Unblocked internet</translation>
    </message>
    <message>
        <source>广告招租位</source>
        <translation>Ad space for rent</translation>
    </message>
    <message>
        <source>合并输出</source>
        <translation>Combined</translation>
    </message>
    <message>
        <source>分类输出</source>
        <translation>Classified</translation>
    </message>
    <message>
        <source>信息</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>请选择模板保存路径...</source>
        <translation>Choose a folder...</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>选取的路径为空</source>
        <translation>The chosen path is empty</translation>
    </message>
    <message>
        <source>所有包含子文件夹数量为%1,所有包含子图片数量为%2</source>
        <translation>Sub-folders in all: %1, pictures in all: %2</translation>
    </message>
    <message>
        <source>所有包含子文件夹数量为%1,所有包含子文件数量为%2</source>
        <translation>Sub-folders in all: %1, files in all: %2</translation>
    </message>
    <message>
        <source>Zanora V3.1</source>
        <translation>Zanora V3.1</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>路径错误，请选择正确的路径</source>
        <translation>Wrong path, please choose the right paths</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>总共需要选%1个图，已选%2张图</source>
        <translation>Pictures to pick: %1, picked: %2</translation>
    </message>
    <message>
        <source>总共需要复制%1个图，已复制%2张图</source>
        <translation>Pictures to copy: %1, copied: %2</translation>
    </message>
    <message>
        <source>文件(%1)复制失败，请检查权限或路径，是否继续？</source>
        <translation>The file (%1) could not be copied, please check the permissions and the paths. Go on?</translation>
    </message>
    <message>
        <source>已成功完成选图</source>
        <translation>The pictures have been gathered</translation>
    </message>
    <message>
        <source>服务器配置文件读取失败，请查看配置文件是否存在，若不存在，请重新生成再自行修改</source>
        <translation>The server configuration file cannot be read. Please check that it exists; if it does not, generate it again and then edit it.</translation>
    </message>
    <message>
        <source>服务器配置文件解析失败，请查看配置文件是否为JSON格式，若不是，请重新生成再自行修改</source>
        <translation>The server configuration file cannot be parsed. Please check that it is JSON; if it is not, generate it again and then edit it.</translation>
    </message>
    <message>
        <source>配置消息</source>
        <translation>Configuration message</translation>
    </message>
    <message>
        <source>配置文件内没有包含需要的对象，请重新写入正确的配置</source>
        <translation>The configuration file lacks the object needed, please write a correct configuration</translation>
    </message>
    <message>
        <source>没有找到服务器IP配置，请检查配置文件</source>
        <translation>No server IP in the configuration, please check the configuration file</translation>
    </message>
    <message>
        <source>没有找到服务器端口配置，请检查配置文件</source>
        <translation>No server port in the configuration, please check the configuration file</translation>
    </message>
    <message>
        <source>消息</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>重新写入配置文件成功，请修改配置文件内容后再重启程序</source>
        <translation>The configuration file has been written again, please edit it and then restart the program</translation>
    </message>
    <message>
        <source>重新写入配置文件失败</source>
        <translation>The configuration file could not be written again</translation>
    </message>
    <message>
        <source>重新生成配置文件</source>
        <translation>Generate the configuration file again</translation>
    </message>
    <message>
        <source>输出磁盘空间不足，未复制任何文件：需要%1，可用%2（%3）</source>
        <translation>Not enough space on the output disk, nothing was copied: %1 needed, %2 free (%3)</translation>
    </message>
    <message>
        <source>不支持的图片格式%1</source>
        <translation>picture format not taken: %1</translation>
    </message>
    <message>
        <source>后缀大小写不被识别%1</source>
        <translation>suffix in a case not taken: %1</translation>
    </message>
    <message>
        <source>文件名编码无效</source>
        <translation>name not valid in the file-name encoding</translation>
    </message>
    <message>
        <source>文件夹名编码无效，其中的文件均未列出</source>
        <translation>folder name not valid in the file-name encoding; nothing below it was listed</translation>
    </message>
    <message>
        <source>有%1个文件未纳入本次选图（见详细信息），是否继续？</source>
        <translation>%1 files are left out of this selection (see the details). Go on?</translation>
    </message>
    <message>
        <source>已复制%1个，已存在而跳过%2个</source>
        <translation>%1 copied, %2 skipped as already there</translation>
    </message>
    <message>
        <source>同名而改名%1个（如“IMG_0012 (2).CR2”）</source>
        <translation>%1 renamed for a name another original has (such as &quot;IMG_0012 (2).CR2&quot;)</translation>
    </message>
    <message>
        <source>替换%1个，原文件已移入回收站或改名保留</source>
        <translation>%1 replaced; the old files went to the trash or were renamed beside them</translation>
    </message>
    <message>
        <source>复制失败%1个</source>
        <translation>%1 failed</translation>
    </message>
    <message>
        <source>未纳入%1个文件</source>
        <translation>%1 files left out</translation>
    </message>
    <message>
        <source>详情见记录：%1</source>
        <translation>Record of the run: %1</translation>
    </message>
    <message>
        <source>规则</source>
        <translation>Rules</translation>
    </message>
    <message>
        <source>匹配规则不是默认规则：可在右键菜单“规则”或按 Ctrl+R 修改</source>
        <translation>The matching rules are not the defaults: change them with “Rules” in the context menu or Ctrl+R</translation>
    </message>
    <message>
        <source>忽略大小写</source>
        <translation>case ignored</translation>
    </message>
    <message>
        <source>只认完整的名字</source>
        <translation>whole names only</translation>
    </message>
    <message>
        <source>小图格式 %1</source>
        <translation>pick formats %1</translation>
    </message>
    <message>
        <source>连带附属文件</source>
        <translation>companion files</translation>
    </message>
    <message>
        <source>规则：%1</source>
        <translation>Rules: %1</translation>
    </message>
    <message>
        <source>消息是空的</source>
        <translation>The message is empty</translation>
    </message>
    <message>
        <source>消息超过 1 MiB，不像是选片消息</source>
        <translation>The message is larger than 1 MiB; that is no list of picks</translation>
    </message>
    <message>
        <source>这不是文字，读不出选片</source>
        <translation>This is not text; no picks can be read from it</translation>
    </message>
    <message>
        <source>消息中混有不同的文字编码，请存为 UTF-8 后再试</source>
        <translation>The message mixes text encodings; save it as UTF-8 and try again</translation>
    </message>
    <message>
        <source>无法读取文件：%1</source>
        <translation>The file cannot be read: %1</translation>
    </message>
    <message>
        <source>消息中没有编号、范围或文件名</source>
        <translation>The message holds no number, range or file name</translation>
    </message>
    <message>
        <source>，看不懂：%1</source>
        <translation>; not understood: %1</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>选片来自消息：%1项</source>
        <translation>Picks from a message: %1 entries</translation>
    </message>
    <message>
        <source>消息中共有%1项选片</source>
        <translation>The message holds %1 entries</translation>
    </message>
    <message>
        <source>未找到：</source>
        <translation>Not found: </translation>
    </message>
</context>
</TS>
