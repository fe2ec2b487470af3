<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>Velmar</name>
    <message>
        <source>Velmar</source>
        <translation>Velmar</translation>
    </message>
    <message>
        <source>
XML
XML
XML Files (*.xml)
.xml
XML.Document
XML.Document</source>
        <translation>
XML
XML
XML文档(*.xml)
.xml
XML.Document
XML.Document</translation>
    </message>
    <message>
        <source>For help, press F1.</source>
        <translation>如需帮助，请按 F1。</translation>
    </message>
    <message>
        <source>OLE initialization failed. Make sure that the OLE libraries are the correct version.</source>
        <translation>OLE 初始化失败。请确认 OLE 库的版本正确。</translation>
    </message>
    <message>
        <source>Loaded in 0 ms</source>
        <translation>加载用时 0 毫秒</translation>
    </message>
    <message>
        <source>Loaded in %1 s.</source>
        <translation>用时 %1 秒</translation>
    </message>
    <message>
        <source>Loading %1...</source>
        <translation>正在加载 %1...</translation>
    </message>
    <message>
        <source>The XML document parser of Velmar is based on the Orvex library (Orvex Input/Output Library).</source>
        <translation>Velmar 的 XML 文档解析器基于 Orvex 库（Orvex 输入/输出库）。</translation>
    </message>
    <message>
        <source>Add header node.</source>
        <translation>添加头节点。</translation>
    </message>
    <message>
        <source>Add node.</source>
        <translation>添加节点。</translation>
    </message>
    <message>
        <source>Add selected node's parameter.</source>
        <translation>为所选节点添加参数。</translation>
    </message>
    <message>
        <source>Add remarks.</source>
        <translation>添加注释。</translation>
    </message>
    <message>
        <source>Rename node.</source>
        <translation>重命名节点。</translation>
    </message>
    <message>
        <source>Delete selected node.</source>
        <translation>删除所选节点。</translation>
    </message>
    <message>
        <source>Move node up.</source>
        <translation>上移节点。</translation>
    </message>
    <message>
        <source>Move node down.</source>
        <translation>下移节点。</translation>
    </message>
    <message>
        <source>View current xml document in Internet Explorer.
Preview</source>
        <translation>在网页浏览器中查看当前 XML 文档。
预览</translation>
    </message>
    <message>
        <source>Export selected node to file.</source>
        <translation>将所选节点导出到文件。</translation>
    </message>
    <message>
        <source>Open notepad to edit current xml document,</source>
        <translation>用记事本编辑当前 XML 文档。</translation>
    </message>
    <message>
        <source>View file property.</source>
        <translation>查看文件属性。</translation>
    </message>
    <message>
        <source>Hide/Show path bar
switch path bar</source>
        <translation>显示/隐藏路径栏
切换路径栏</translation>
    </message>
    <message>
        <source>List Help topics
Help Topics</source>
        <translation>列出帮助主题
帮助主题</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;New	Ctrl+N</source>
        <translation>新建(&amp;N)	Ctrl+N</translation>
    </message>
    <message>
        <source>&amp;Open...	Ctrl+O</source>
        <translation>打开(&amp;O)...	Ctrl+O</translation>
    </message>
    <message>
        <source>Recent files</source>
        <translation>最近的文件</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>关闭(&amp;C)</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>退出(&amp;X)</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>查看(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>工具栏(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Statusbar</source>
        <translation>状态栏(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Pathbar</source>
        <translation>路径栏(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>帮助(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;Index</source>
        <translation>索引(&amp;I)</translation>
    </message>
    <message>
        <source>&amp;About Velmar...</source>
        <translation>关于 Velmar(&amp;A)...</translation>
    </message>
    <message>
        <source>&amp;Save	Ctrl+S</source>
        <translation>保存(&amp;S)	Ctrl+S</translation>
    </message>
    <message>
        <source>Save &amp;as...</source>
        <translation>另存为(&amp;A)...</translation>
    </message>
    <message>
        <source>&amp;Property</source>
        <translation>属性(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>编辑(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Undo	Ctrl+Z</source>
        <translation>撤销(&amp;U)	Ctrl+Z</translation>
    </message>
    <message>
        <source>Cu&amp;t	Ctrl+X</source>
        <translation>剪切(&amp;T)	Ctrl+X</translation>
    </message>
    <message>
        <source>&amp;Copy	Ctrl+C</source>
        <translation>复制(&amp;C)	Ctrl+C</translation>
    </message>
    <message>
        <source>&amp;Paste	Ctrl+V</source>
        <translation>粘贴(&amp;P)	Ctrl+V</translation>
    </message>
    <message>
        <source>Edit by &amp;Notepad</source>
        <translation>用记事本编辑(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;XML</source>
        <translation>&amp;XML</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>添加(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Header node</source>
        <translation>头节点(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;Data node</source>
        <translation>数据节点(&amp;D)</translation>
    </message>
    <message>
        <source>Node &amp;parameter</source>
        <translation>节点参数(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;Remark</source>
        <translation>注释(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Rename	F2</source>
        <translation>重命名(&amp;R)	F2</translation>
    </message>
    <message>
        <source>D&amp;elete	Ctrl+Del</source>
        <translation>删除(&amp;E)	Ctrl+Del</translation>
    </message>
    <message>
        <source>Move &amp;up</source>
        <translation>上移(&amp;U)</translation>
    </message>
    <message>
        <source>Move &amp;down</source>
        <translation>下移(&amp;D)</translation>
    </message>
    <message>
        <source>Pre&amp;view	F12</source>
        <translation>预览(&amp;V)	F12</translation>
    </message>
    <message>
        <source>E&amp;xport node</source>
        <translation>导出节点(&amp;X)</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation>窗口(&amp;W)</translation>
    </message>
    <message>
        <source>&amp;New window</source>
        <translation>新建窗口(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Cascade</source>
        <translation>层叠(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Tile</source>
        <translation>平铺(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Arrange Icons</source>
        <translation>排列图标(&amp;A)</translation>
    </message>
    <message>
        <source>Current path:</source>
        <translation>当前路径：</translation>
    </message>
    <message>
        <source>About Velmar</source>
        <translation>关于 Velmar</translation>
    </message>
    <message>
        <source>Velmar Version 1.0Beta</source>
        <translation>Velmar 版本 1.0Beta</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Built: %1,%2.</source>
        <translation>构建于：%1,%2。</translation>
    </message>
    <message>
        <source>Child Nodes</source>
        <translation>子节点</translation>
    </message>
    <message>
        <source>Node Value</source>
        <translation>节点值</translation>
    </message>
    <message>
        <source>Child Vars</source>
        <translation>参数</translation>
    </message>
    <message>
        <source>Remark</source>
        <translation>注释</translation>
    </message>
    <message>
        <source>Error open XML file!</source>
        <translation>打开 XML 文件出错！</translation>
    </message>
    <message>
        <source>Error save to xml file.</source>
        <translation>保存 XML 文件出错。</translation>
    </message>
    <message>
        <source>The document has not been saved yet!</source>
        <translation>文档尚未保存！</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>失败</translation>
    </message>
    <message>
        <source>Export node</source>
        <translation>导出节点</translation>
    </message>
    <message>
        <source>Node export failed!</source>
        <translation>节点导出失败！</translation>
    </message>
    <message>
        <source>XML Documents (*.xml)</source>
        <translation>XML文档(*.xml)</translation>
    </message>
    <message>
        <source>Delete the selected node?</source>
        <translation>确认删除节点？</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
    <message>
        <source> - [Modified]</source>
        <translation> - [已修改]</translation>
    </message>
    <message>
        <source>A text cannot hold "]]&gt;".</source>
        <translation>文本不能包含“]]&gt;”。</translation>
    </message>
    <message>
        <source>A parameter value cannot hold a double quote, an apostrophe or "&lt;".</source>
        <translation>参数值不能包含双引号、单引号或“&lt;”。</translation>
    </message>
    <message>
        <source>A remark cannot hold "--&gt;".</source>
        <translation>注释不能包含“--&gt;”。</translation>
    </message>
    <message>
        <source>The change was not stored.</source>
        <translation>此修改未保存。</translation>
    </message>
    <message>
        <source>Adding a child to "%1" removes its text:

%2

Add the child?</source>
        <translation>向“%1”添加子节点将删除它的文本：

%2

是否添加子节点？</translation>
    </message>
    <message>
        <source>No web browser could be started to show %1. Name one in the BROWSER environment variable, or open the file yourself.</source>
        <translation>无法启动网页浏览器来显示 %1。请在 BROWSER 环境变量中指定浏览器，或自行打开该文件。</translation>
    </message>
    <message>
        <source>The help pages were not found. They are installed in %1; open index.html there in a web browser.</source>
        <translation>找不到帮助页面。它们安装在 %1；请用网页浏览器打开其中的 index.html。</translation>
    </message>
    <message>
        <source>No web browser could be started to show the help. The help pages are in %1; open index.html there in a web browser.</source>
        <translation>无法启动网页浏览器来显示帮助。帮助页面位于 %1；请用网页浏览器打开其中的 index.html。</translation>
    </message>
    <message>
        <source>%1

The file was changed by another program. Reload it?</source>
        <translation>%1

该文件已被其他程序修改。是否重新加载？</translation>
    </message>
    <message>
        <source>Your unsaved changes would be lost.</source>
        <translation>未保存的修改将会丢失。</translation>
    </message>
    <message>
        <source>%1

The file was changed by another program since it was loaded. Save over those changes?</source>
        <translation>%1

该文件在加载后已被其他程序修改。是否覆盖这些修改？</translation>
    </message>
    <message>
        <source>%1

The file was saved, but it now belongs to you: its owner or group could not be kept.</source>
        <translation>%1

文件已保存，但现在归您所有：无法保留其所有者或组。</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>无标题</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>另存为</translation>
    </message>
    <message>
        <source>All Files (*.*)</source>
        <translation>所有文件 (*.*)</translation>
    </message>
    <message>
        <source>Activate this window</source>
        <translation>激活此窗口</translation>
    </message>
    <message>
        <source>Invalid filename.</source>
        <translation>文件名无效。</translation>
    </message>
    <message>
        <source>Failed to open document.</source>
        <translation>无法打开文档。</translation>
    </message>
    <message>
        <source>Failed to save document.</source>
        <translation>无法保存文档。</translation>
    </message>
    <message>
        <source>Save changes to %1?</source>
        <translation>是否保存对 %1 的修改？</translation>
    </message>
    <message>
        <source>Failed to create empty document.</source>
        <translation>无法创建空文档。</translation>
    </message>
    <message>
        <source>Command failed.</source>
        <translation>命令失败。</translation>
    </message>
    <message>
        <source>Failed to launch help.</source>
        <translation>无法启动帮助。</translation>
    </message>
    <message>
        <source>%1 was not found.</source>
        <translation>找不到 %1。</translation>
    </message>
    <message>
        <source>Access to %1 was denied.</source>
        <translation>拒绝访问 %1。</translation>
    </message>
    <message>
        <source>The settings file was damaged and has been moved to %1. The program starts with default settings and an empty list of recent files.</source>
        <translation>设置文件已损坏，已移至 %1。程序将以默认设置和空的最近文件列表启动。</translation>
    </message>
    <message>
        <source>Create a new document
New</source>
        <translation>新建文档
新建</translation>
    </message>
    <message>
        <source>Open an existing document
Open</source>
        <translation>打开已有文档
打开</translation>
    </message>
    <message>
        <source>Close the active document
Close</source>
        <translation>关闭活动文档
关闭</translation>
    </message>
    <message>
        <source>Save the active document
Save</source>
        <translation>保存活动文档
保存</translation>
    </message>
    <message>
        <source>Save the active document with a new name
Save As</source>
        <translation>以新名称保存活动文档
另存为</translation>
    </message>
    <message>
        <source>Display program information, version number and copyright
About</source>
        <translation>显示程序信息、版本号和版权
关于</translation>
    </message>
    <message>
        <source>Quit the application; prompts to save documents
Exit</source>
        <translation>退出程序；提示保存文档
退出</translation>
    </message>
    <message>
        <source>Open another window for the active document
New Window</source>
        <translation>为活动文档打开另一个窗口
新建窗口</translation>
    </message>
    <message>
        <source>Arrange icons at the bottom of the window
Arrange Icons</source>
        <translation>在窗口底部排列图标
排列图标</translation>
    </message>
    <message>
        <source>Arrange windows so they overlap
Cascade Windows</source>
        <translation>层叠排列窗口
层叠窗口</translation>
    </message>
    <message>
        <source>Arrange windows as non-overlapping tiles
Tile Windows</source>
        <translation>平铺排列窗口
平铺窗口</translation>
    </message>
    <message>
        <source>Switch to the next window pane
Next Pane</source>
        <translation>切换到下一个窗格
下一窗格</translation>
    </message>
    <message>
        <source>Switch back to the previous window pane
Previous Pane</source>
        <translation>切换回上一个窗格
上一窗格</translation>
    </message>
    <message>
        <source>Show or hide the toolbar
Toggle ToolBar</source>
        <translation>显示或隐藏工具栏
切换工具栏</translation>
    </message>
    <message>
        <source>Show or hide the status bar
Toggle StatusBar</source>
        <translation>显示或隐藏状态栏
切换状态栏</translation>
    </message>
    <message>
        <source>Show or hide the rebar
Toggle ReBar</source>
        <translation>显示或隐藏工具条
切换工具条</translation>
    </message>
    <message>
        <source>EXT</source>
        <translation>EXT</translation>
    </message>
    <message>
        <source>CAP</source>
        <translation>CAP</translation>
    </message>
    <message>
        <source>NUM</source>
        <translation>NUM</translation>
    </message>
    <message>
        <source>SCRL</source>
        <translation>SCRL</translation>
    </message>
    <message>
        <source>Print the active document
Print</source>
        <translation>打印活动文档
打印</translation>
    </message>
    <message>
        <source>Cut the selection and put it on the Clipboard
Cut</source>
        <translation>剪切所选内容并放到剪贴板
剪切</translation>
    </message>
    <message>
        <source>Copy the selection and put it on the Clipboard
Copy</source>
        <translation>复制所选内容并放到剪贴板
复制</translation>
    </message>
    <message>
        <source>Insert Clipboard contents
Paste</source>
        <translation>插入剪贴板内容
粘贴</translation>
    </message>
    <message>
        <source>Undo the last action
Undo</source>
        <translation>撤销上一操作
撤销</translation>
    </message>
    <message>
        <source>Display help for clicked on buttons, menus and windows
Help</source>
        <translation>显示所单击的按钮、菜单和窗口的帮助
帮助</translation>
    </message>
    <message>
        <source>Opens Help
Help Topics</source>
        <translation>打开帮助
帮助主题</translation>
    </message>
    <message>
        <source>Display help for current task or command
Help</source>
        <translation>显示当前任务或命令的帮助
帮助</translation>
    </message>
    <message>
        <source>Open this document</source>
        <translation>打开此文档</translation>
    </message>
    <message>
        <source>No printer is installed.</source>
        <translation>未安装打印机。</translation>
    </message>
    <message>
        <source>Failed to start print job.</source>
        <translation>无法开始打印作业。</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>撤销(&amp;U)</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>剪切(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>复制(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>粘贴(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>删除(&amp;D)</translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation>全选(&amp;A)</translation>
    </message>
    <message>
        <source>%1 Properties</source>
        <translation>%1 属性</translation>
    </message>
    <message>
        <source>(unavailable)</source>
        <translation>（不可用）</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>名称：</translation>
    </message>
    <message>
        <source>Location:</source>
        <translation>位置：</translation>
    </message>
    <message>
        <source>Size:</source>
        <translation>大小：</translation>
    </message>
    <message>
        <source>Created:</source>
        <translation>创建时间：</translation>
    </message>
    <message>
        <source>Modified:</source>
        <translation>修改时间：</translation>
    </message>
    <message>
        <source>Accessed:</source>
        <translation>访问时间：</translation>
    </message>
    <message>
        <source>&amp;Read-only</source>
        <translation>只读(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Hidden</source>
        <translation>隐藏(&amp;H)</translation>
    </message>
    <message>
        <source>Attributes:</source>
        <translation>属性：</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>查找</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>替换</translation>
    </message>
    <message>
        <source>Fi&amp;nd what:</source>
        <translation>查找内容(&amp;N):</translation>
    </message>
    <message>
        <source>Re&amp;place with:</source>
        <translation>替换为(&amp;P):</translation>
    </message>
    <message>
        <source>Match &amp;whole word only</source>
        <translation>全字匹配(&amp;W)</translation>
    </message>
    <message>
        <source>Match &amp;case</source>
        <translation>区分大小写(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Up</source>
        <translation>向上(&amp;U)</translation>
    </message>
    <message>
        <source>&amp;Down</source>
        <translation>向下(&amp;D)</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>方向</translation>
    </message>
    <message>
        <source>&amp;Find Next</source>
        <translation>查找下一个(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>替换(&amp;R)</translation>
    </message>
    <message>
        <source>Replace &amp;All</source>
        <translation>全部替换(&amp;A)</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>byte</source>
        <translation>字节</translation>
    </message>
    <message>
        <source>bytes</source>
        <translation>字节</translation>
    </message>
    <message>
        <source>&amp;Redo	Ctrl+Y</source>
        <translation>重做(&amp;R)	Ctrl+Y</translation>
    </message>
    <message>
        <source>&amp;Duplicate	Ctrl+D</source>
        <translation>制作副本(&amp;D)	Ctrl+D</translation>
    </message>
    <message>
        <source>&amp;Undo %1	Ctrl+Z</source>
        <translation>撤销(&amp;U) %1	Ctrl+Z</translation>
    </message>
    <message>
        <source>&amp;Redo %1	Ctrl+Y</source>
        <translation>重做(&amp;R) %1	Ctrl+Y</translation>
    </message>
    <message>
        <source>Do again what was undone.
Redo</source>
        <translation>重做已撤销的操作。
重做</translation>
    </message>
    <message>
        <source>Insert a copy of the selected node after it.
Duplicate</source>
        <translation>在选定节点之后插入它的副本。
制作副本</translation>
    </message>
    <message>
        <source>Add '%1'</source>
        <translation>添加“%1”</translation>
    </message>
    <message>
        <source>Add parameter to '%1'</source>
        <translation>为“%1”添加参数</translation>
    </message>
    <message>
        <source>Delete '%1'</source>
        <translation>删除“%1”</translation>
    </message>
    <message>
        <source>Cut '%1'</source>
        <translation>剪切“%1”</translation>
    </message>
    <message>
        <source>Move '%1'</source>
        <translation>移动“%1”</translation>
    </message>
    <message>
        <source>Rename '%1'</source>
        <translation>重命名“%1”</translation>
    </message>
    <message>
        <source>Paste '%1'</source>
        <translation>粘贴“%1”</translation>
    </message>
    <message>
        <source>Duplicate '%1'</source>
        <translation>制作“%1”的副本</translation>
    </message>
    <message>
        <source>Copy '%1'</source>
        <translation>复制“%1”</translation>
    </message>
    <message>
        <source>Edit value of '%1'</source>
        <translation>编辑“%1”的值</translation>
    </message>
    <message>
        <source>Edit text of '%1'</source>
        <translation>编辑“%1”的文本</translation>
    </message>
    <message>
        <source>Edit '%1'</source>
        <translation>编辑“%1”</translation>
    </message>
    <message>
        <source>remark</source>
        <translation>注释</translation>
    </message>
    <message>
        <source>The text is not XML the document can hold:</source>
        <translation>该文本不是本文档能容纳的 XML：</translation>
    </message>
    <message>
        <source>The text holds no nodes.</source>
        <translation>该文本不含节点。</translation>
    </message>
    <message>
        <source>The text holds no parameters.</source>
        <translation>该文本不含参数。</translation>
    </message>
    <message>
        <source>The clipboard holds no text.</source>
        <translation>剪贴板中没有文本。</translation>
    </message>
    <message>
        <source>Select a node or a group to paste to.</source>
        <translation>请选择要粘贴到的节点或组。</translation>
    </message>
    <message>
        <source>Nothing can go before the declaration.</source>
        <translation>声明之前不能放置任何内容。</translation>
    </message>
    <message>
        <source>Only an element holds child nodes.</source>
        <translation>只有元素可以包含子节点。</translation>
    </message>
    <message>
        <source>Only an element holds parameters.</source>
        <translation>只有元素可以包含参数。</translation>
    </message>
    <message>
        <source>Nothing was pasted.</source>
        <translation>未粘贴任何内容。</translation>
    </message>
    <message>
        <source>Replace All</source>
        <translation>全部替换</translation>
    </message>
    <message>
        <source>Replace in '%1'</source>
        <translation>在“%1”中替换</translation>
    </message>
    <message>
        <source>Drop '%1'</source>
        <translation>拖放“%1”</translation>
        <source>&amp;Values</source>
        <translation>值(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Find...	Ctrl+F</source>
        <translation>查找(&amp;F)...	Ctrl+F</translation>
    </message>
    <message>
        <source>Find Ne&amp;xt	F3</source>
        <translation>查找下一个(&amp;X)	F3</translation>
    </message>
    <message>
        <source>Find Pre&amp;vious	Shift+F3</source>
        <translation>查找上一个(&amp;V)	Shift+F3</translation>
    </message>
    <message>
        <source>R&amp;eplace...	Ctrl+H</source>
        <translation>替换(&amp;E)...	Ctrl+H</translation>
    </message>
    <message>
        <source>&amp;Go to Path	Ctrl+L</source>
        <translation>转到路径(&amp;G)	Ctrl+L</translation>
    </message>
    <message>
        <source>Find names and values in the document.
Find</source>
        <translation>在文档中查找名称和值。
查找</translation>
    </message>
    <message>
        <source>Replace in the document's values.
Replace</source>
        <translation>替换文档中的值。
替换</translation>
    </message>
    <message>
        <source>Select the next match.
Find next</source>
        <translation>选择下一个匹配项。
查找下一个</translation>
    </message>
    <message>
        <source>Select the previous match.
Find previous</source>
        <translation>选择上一个匹配项。
查找上一个</translation>
    </message>
    <message>
        <source>Replace in the selected value and find the next match.
Replace</source>
        <translation>替换所选值中的匹配项并查找下一个。
替换</translation>
    </message>
    <message>
        <source>Replace in every value of the document.
Replace all</source>
        <translation>替换文档中所有值的匹配项。
全部替换</translation>
    </message>
    <message>
        <source>Close the find bar.
Close</source>
        <translation>关闭查找栏。
关闭</translation>
    </message>
    <message>
        <source>Type a path to select its node.
Go to path</source>
        <translation>输入路径以选择其节点。
转到路径</translation>
    </message>
    <message>
        <source>Show or hide the values beside the names in the tree.
Values</source>
        <translation>在树中名称旁显示或隐藏值。
值</translation>
    </message>
    <message>
        <source>Find:</source>
        <translation>查找:</translation>
    </message>
    <message>
        <source>&amp;Next</source>
        <translation>下一个(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Previous</source>
        <translation>上一个(&amp;P)</translation>
    </message>
    <message>
        <source>Whole w&amp;ord</source>
        <translation>全字匹配(&amp;O)</translation>
    </message>
    <message>
        <source>Re&amp;gular expression</source>
        <translation>正则表达式(&amp;G)</translation>
    </message>
    <message>
        <source>In na&amp;mes</source>
        <translation>名称中(&amp;M)</translation>
    </message>
    <message>
        <source>In va&amp;lues</source>
        <translation>值中(&amp;L)</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Replace:</source>
        <translation>替换为:</translation>
    </message>
    <message>
        <source>Replace &amp;all</source>
        <translation>全部替换(&amp;A)</translation>
    </message>
    <message>
        <source>Type what to find.</source>
        <translation>请输入要查找的内容。</translation>
    </message>
    <message>
        <source>The expression is empty.</source>
        <translation>表达式为空。</translation>
    </message>
    <message>
        <source>Searching... %1%</source>
        <translation>正在查找... %1%</translation>
    </message>
    <message>
        <source>Cannot find "%1".</source>
        <translation>找不到“%1”。</translation>
    </message>
    <message>
        <source>&amp;XPath</source>
        <translation>XPath(&amp;X)</translation>
    </message>
    <message>
        <source>The XPath expression is not valid at column %1: %2</source>
        <translation>XPath 表达式在第 %1 列无效：%2</translation>
    </message>
    <message>
        <source>Replacing needs a text to find, not an XPath expression.</source>
        <translation>替换需要要查找的文本，而不是 XPath 表达式。</translation>
    </message>
    <message>
        <source>%1 matches of the XPath expression.</source>
        <translation>XPath 表达式有 %1 个匹配项。</translation>
    </message>
    <message>
        <source>Passed the end of the document: found from the start.</source>
        <translation>已到达文档末尾：从开头找到。</translation>
    </message>
    <message>
        <source>Passed the start of the document: found from the end.</source>
        <translation>已到达文档开头：从末尾找到。</translation>
    </message>
    <message>
        <source>The value cannot hold the replaced text; it stays as it was.</source>
        <translation>该值不能容纳替换后的文本，保持不变。</translation>
    </message>
    <message>
        <source>Replaced %1 matches.</source>
        <translation>已替换 %1 处匹配。</translation>
    </message>
    <message>
        <source>%1 values cannot hold their replaced text and stay as they were.</source>
        <translation>%1 个值不能容纳替换后的文本，保持不变。</translation>
    </message>
    <message>
        <source>There is no node at "%1".</source>
        <translation>“%1”处没有节点。</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>值</translation>
    </message>
    <message>
        <source>the file could not be read.</source>
        <translation>无法读取该文件。</translation>
    </message>
    <message>
        <source>%1: line %2, column %3: %4</source>
        <translation>%1：第 %2 行，第 %3 列：%4</translation>
    </message>
    <message>
        <source>The file opens in XML 1.0 mode. Open it that way?</source>
        <translation>该文件可以按 XML 1.0 模式打开。是否以此方式打开？</translation>
    </message>
    <message>
        <source>XML 1.0</source>
        <translation>XML 1.0</translation>
    </message>
    <message>
        <source>Strict</source>
        <translation>严格</translation>
    </message>
    <message>
        <source>Open and create documents in the editor's strict dialect instead of XML 1.0.
Strict dialect</source>
        <translation>以编辑器的严格方言而非 XML 1.0 打开和新建文档。
严格方言</translation>
    </message>
    <message>
        <source>Strict &amp;dialect</source>
        <translation>严格方言(&amp;D)</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>文本</translation>
    </message>
    <message>
        <source>text</source>
        <translation>文本</translation>
    </message>
    <message>
        <source>This is not a well-formed document type declaration: %1. The old text was kept.</source>
        <translation>这不是格式正确的文档类型声明：%1。已保留原来的文本。</translation>
    </message>
    <message>
        <source>This text is open in the text editor as %1. Save it there, then load it back here.</source>
        <translation>此文本已在文本编辑器中打开为 %1。请在那里保存，然后在此载入。</translation>
    </message>
    <message>
        <source>Load Edited Text</source>
        <translation>载入编辑后的文本</translation>
    </message>
    <message>
        <source>This text has %1 characters, too many to edit here at typing speed: it is shown read-only. Edit it in the text editor.</source>
        <translation>此文本有 %1 个字符，太长而无法在此流畅编辑：以只读方式显示。请在文本编辑器中编辑。</translation>
    </message>
    <message>
        <source>Edit in Text Editor</source>
        <translation>在文本编辑器中编辑</translation>
    </message>
    <message>
        <source>No text editor could be started on this text. Name one in the VISUAL or EDITOR environment variable.</source>
        <translation>无法启动文本编辑器来编辑此文本。请在 VISUAL 或 EDITOR 环境变量中指定一个。</translation>
    </message>
    <message>
        <source>%1 could not be read as UTF-8 text. Nothing was changed; the file is kept.</source>
        <translation>无法将 %1 读取为 UTF-8 文本。未做任何修改；该文件已保留。</translation>
    </message>
    <message>
        <source>Va&amp;lidate	F7</source>
        <translation>校验(&amp;L)	F7</translation>
    </message>
    <message>
        <source>&amp;Choose Schema...</source>
        <translation>选择模式(&amp;C)...</translation>
    </message>
    <message>
        <source>&amp;Schema the Document Names</source>
        <translation>使用文档指定的模式(&amp;S)</translation>
    </message>
    <message>
        <source>Validate as I Ed&amp;it</source>
        <translation>编辑时校验(&amp;I)</translation>
    </message>
    <message>
        <source>&amp;Errors</source>
        <translation>错误列表(&amp;E)</translation>
    </message>
    <message>
        <source>Validate the document against its schema and list the errors.
Validate</source>
        <translation>按模式校验文档并列出错误。
校验</translation>
    </message>
    <message>
        <source>Choose the XML Schema, DTD or RELAX NG file to validate the document against.
Choose schema</source>
        <translation>选择用于校验文档的 XML Schema、DTD 或 RELAX NG 文件。
选择模式</translation>
    </message>
    <message>
        <source>Validate against the schema or document type the document names.
Document's schema</source>
        <translation>按文档指定的模式或文档类型校验。
文档的模式</translation>
    </message>
    <message>
        <source>Validate again after each edit while the error list is shown.
Validate as I edit</source>
        <translation>显示错误列表时，每次编辑后重新校验。
编辑时校验</translation>
    </message>
    <message>
        <source>Show or hide the error list.
Errors</source>
        <translation>显示或隐藏错误列表。
错误列表</translation>
    </message>
    <message>
        <source>Valid</source>
        <translation>有效</translation>
    </message>
    <message>
        <source>Not valid: %1 error</source>
        <translation>无效：%1 个错误</translation>
    </message>
    <message>
        <source>Not valid: %1 errors</source>
        <translation>无效：%1 个错误</translation>
    </message>
    <message>
        <source>Not validated: %1</source>
        <translation>未校验：%1</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>消息</translation>
    </message>
    <message>
        <source>Node</source>
        <translation>节点</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>行</translation>
    </message>
    <message>
        <source>%1 more not listed</source>
        <translation>另有 %1 项未列出</translation>
    </message>
    <message>
        <source>Warning: </source>
        <translation>警告：</translation>
    </message>
    <message>
        <source>Schemas (*.xsd, *.dtd, *.rng)</source>
        <translation>模式文件 (*.xsd, *.dtd, *.rng)</translation>
    </message>
    <message>
        <source>All files (*.*)</source>
        <translation>所有文件 (*.*)</translation>
    </message>
    <message>
        <source>Choose Schema</source>
        <translation>选择模式</translation>
    </message>
</context>
</TS>
