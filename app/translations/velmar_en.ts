<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
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
XML Files (*.xml)
.xml
XML.Document
XML.Document</translation>
    </message>
    <message>
        <source>For help, press F1.</source>
        <translation>For help, press F1.</translation>
    </message>
    <message>
        <source>OLE initialization failed. Make sure that the OLE libraries are the correct version.</source>
        <translation>OLE initialization failed. Make sure that the OLE libraries are the correct version.</translation>
    </message>
    <message>
        <source>Loaded in 0 ms</source>
        <translation>Loaded in 0 ms</translation>
    </message>
    <message>
        <source>Loaded in %1 s.</source>
        <translation>Loaded in %1 s.</translation>
    </message>
    <message>
        <source>The XML document parser of Velmar is based on the Orvex library (Orvex Input/Output Library).</source>
        <translation>The XML document parser of Velmar is based on the Orvex library (Orvex Input/Output Library).</translation>
    </message>
    <message>
        <source>Add header node.</source>
        <translation>Add header node.</translation>
    </message>
    <message>
        <source>Add node.</source>
        <translation>Add node.</translation>
    </message>
    <message>
        <source>Add selected node's parameter.</source>
        <translation>Add selected node's parameter.</translation>
    </message>
    <message>
        <source>Add remarks.</source>
        <translation>Add remarks.</translation>
    </message>
    <message>
        <source>Rename node.</source>
        <translation>Rename node.</translation>
    </message>
    <message>
        <source>Delete selected node.</source>
        <translation>Delete selected node.</translation>
    </message>
    <message>
        <source>Move node up.</source>
        <translation>Move node up.</translation>
    </message>
    <message>
        <source>Move node down.</source>
        <translation>Move node down.</translation>
    </message>
    <message>
        <source>View current xml document in Internet Explorer.
Preview</source>
        <translation>View current xml document in Internet Explorer.
Preview</translation>
    </message>
    <message>
        <source>Export selected node to file.</source>
        <translation>Export selected node to file.</translation>
    </message>
    <message>
        <source>Open notepad to edit current xml document,</source>
        <translation>Open notepad to edit current xml document,</translation>
    </message>
    <message>
        <source>View file property.</source>
        <translation>View file property.</translation>
    </message>
    <message>
        <source>Hide/Show path bar
switch path bar</source>
        <translation>Hide/Show path bar
switch path bar</translation>
    </message>
    <message>
        <source>List Help topics
Help Topics</source>
        <translation>List Help topics
Help Topics</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;New	Ctrl+N</source>
        <translation>&amp;New	Ctrl+N</translation>
    </message>
    <message>
        <source>&amp;Open...	Ctrl+O</source>
        <translation>&amp;Open...	Ctrl+O</translation>
    </message>
    <message>
        <source>Recent files</source>
        <translation>Recent files</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>&amp;Statusbar</source>
        <translation>&amp;Statusbar</translation>
    </message>
    <message>
        <source>&amp;Pathbar</source>
        <translation>&amp;Pathbar</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;Index</source>
        <translation>&amp;Index</translation>
    </message>
    <message>
        <source>&amp;About Velmar...</source>
        <translation>&amp;About Velmar...</translation>
    </message>
    <message>
        <source>&amp;Save	Ctrl+S</source>
        <translation>&amp;Save	Ctrl+S</translation>
    </message>
    <message>
        <source>Save &amp;as...</source>
        <translation>Save &amp;as...</translation>
    </message>
    <message>
        <source>&amp;Property</source>
        <translation>&amp;Property</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>&amp;Undo	Ctrl+Z</source>
        <translation>&amp;Undo	Ctrl+Z</translation>
    </message>
    <message>
        <source>Cu&amp;t	Ctrl+X</source>
        <translation>Cu&amp;t	Ctrl+X</translation>
    </message>
    <message>
        <source>&amp;Copy	Ctrl+C</source>
        <translation>&amp;Copy	Ctrl+C</translation>
    </message>
    <message>
        <source>&amp;Paste	Ctrl+V</source>
        <translation>&amp;Paste	Ctrl+V</translation>
    </message>
    <message>
        <source>Edit by &amp;Notepad</source>
        <translation>Edit by &amp;Notepad</translation>
    </message>
    <message>
        <source>&amp;XML</source>
        <translation>&amp;XML</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Add</translation>
    </message>
    <message>
        <source>&amp;Header node</source>
        <translation>&amp;Header node</translation>
    </message>
    <message>
        <source>&amp;Data node</source>
        <translation>&amp;Data node</translation>
    </message>
    <message>
        <source>Node &amp;parameter</source>
        <translation>Node &amp;parameter</translation>
    </message>
    <message>
        <source>&amp;Remark</source>
        <translation>&amp;Remark</translation>
    </message>
    <message>
        <source>&amp;Rename	F2</source>
        <translation>&amp;Rename	F2</translation>
    </message>
    <message>
        <source>D&amp;elete	Ctrl+Del</source>
        <translation>D&amp;elete	Ctrl+Del</translation>
    </message>
    <message>
        <source>Move &amp;up</source>
        <translation>Move &amp;up</translation>
    </message>
    <message>
        <source>Move &amp;down</source>
        <translation>Move &amp;down</translation>
    </message>
    <message>
        <source>Pre&amp;view	F12</source>
        <translation>Pre&amp;view	F12</translation>
    </message>
    <message>
        <source>E&amp;xport node</source>
        <translation>E&amp;xport node</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation>&amp;Window</translation>
    </message>
    <message>
        <source>&amp;New window</source>
        <translation>&amp;New window</translation>
    </message>
    <message>
        <source>&amp;Cascade</source>
        <translation>&amp;Cascade</translation>
    </message>
    <message>
        <source>&amp;Tile</source>
        <translation>&amp;Tile</translation>
    </message>
    <message>
        <source>&amp;Arrange Icons</source>
        <translation>&amp;Arrange Icons</translation>
    </message>
    <message>
        <source>Current path:</source>
        <translation>Current path:</translation>
    </message>
    <message>
        <source>About Velmar</source>
        <translation>About Velmar</translation>
    </message>
    <message>
        <source>Velmar Version 1.0Beta</source>
        <translation>Velmar Version 1.0Beta</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Built: %1,%2.</source>
        <translation>Built: %1,%2.</translation>
    </message>
    <message>
        <source>Child Nodes</source>
        <translation>Child Nodes</translation>
    </message>
    <message>
        <source>Node Value</source>
        <translation>Node Value</translation>
    </message>
    <message>
        <source>Child Vars</source>
        <translation>Child Vars</translation>
    </message>
    <message>
        <source>Remark</source>
        <translation>Remark</translation>
    </message>
    <message>
        <source>Error open XML file!</source>
        <translation>Error open XML file!</translation>
    </message>
    <message>
        <source>Error save to xml file.</source>
        <translation>Error save to xml file.</translation>
    </message>
    <message>
        <source>The document has not been saved yet!</source>
        <translation>The document has not been saved yet!</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>Export node</source>
        <translation>Export node</translation>
    </message>
    <message>
        <source>Node export failed!</source>
        <translation>Node export failed!</translation>
    </message>
    <message>
        <source>XML Documents (*.xml)</source>
        <translation>XML Documents (*.xml)</translation>
    </message>
    <message>
        <source>Delete the selected node?</source>
        <translation>Delete the selected node?</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source> - [Modified]</source>
        <translation> - [Modified]</translation>
    </message>
    <message>
        <source>A text cannot hold "]]&gt;".</source>
        <translation>A text cannot hold "]]&gt;".</translation>
    </message>
    <message>
        <source>A parameter value cannot hold a double quote, an apostrophe or "&lt;".</source>
        <translation>A parameter value cannot hold a double quote, an apostrophe or "&lt;".</translation>
    </message>
    <message>
        <source>A remark cannot hold "--&gt;".</source>
        <translation>A remark cannot hold "--&gt;".</translation>
    </message>
    <message>
        <source>The change was not stored.</source>
        <translation>The change was not stored.</translation>
    </message>
    <message>
        <source>Adding a child to "%1" removes its text:

%2

Add the child?</source>
        <translation>Adding a child to "%1" removes its text:

%2

Add the child?</translation>
    </message>
    <message>
        <source>No web browser could be started to show %1. Name one in the BROWSER environment variable, or open the file yourself.</source>
        <translation>No web browser could be started to show %1. Name one in the BROWSER environment variable, or open the file yourself.</translation>
    </message>
    <message>
        <source>The help pages were not found. They are installed in %1; open index.html there in a web browser.</source>
        <translation>The help pages were not found. They are installed in %1; open index.html there in a web browser.</translation>
    </message>
    <message>
        <source>No web browser could be started to show the help. The help pages are in %1; open index.html there in a web browser.</source>
        <translation>No web browser could be started to show the help. The help pages are in %1; open index.html there in a web browser.</translation>
    </message>
    <message>
        <source>%1

The file was changed by another program. Reload it?</source>
        <translation>%1

The file was changed by another program. Reload it?</translation>
    </message>
    <message>
        <source>Your unsaved changes would be lost.</source>
        <translation>Your unsaved changes would be lost.</translation>
    </message>
    <message>
        <source>%1

The file was changed by another program since it was loaded. Save over those changes?</source>
        <translation>%1

The file was changed by another program since it was loaded. Save over those changes?</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>All Files (*.*)</source>
        <translation>All Files (*.*)</translation>
    </message>
    <message>
        <source>Activate this window</source>
        <translation>Activate this window</translation>
    </message>
    <message>
        <source>Invalid filename.</source>
        <translation>Invalid filename.</translation>
    </message>
    <message>
        <source>Failed to open document.</source>
        <translation>Failed to open document.</translation>
    </message>
    <message>
        <source>Failed to save document.</source>
        <translation>Failed to save document.</translation>
    </message>
    <message>
        <source>Save changes to %1?</source>
        <translation>Save changes to %1?</translation>
    </message>
    <message>
        <source>Failed to create empty document.</source>
        <translation>Failed to create empty document.</translation>
    </message>
    <message>
        <source>Command failed.</source>
        <translation>Command failed.</translation>
    </message>
    <message>
        <source>Failed to launch help.</source>
        <translation>Failed to launch help.</translation>
    </message>
    <message>
        <source>%1 was not found.</source>
        <translation>%1 was not found.</translation>
    </message>
    <message>
        <source>Access to %1 was denied.</source>
        <translation>Access to %1 was denied.</translation>
    </message>
    <message>
        <source>Create a new document
New</source>
        <translation>Create a new document
New</translation>
    </message>
    <message>
        <source>Open an existing document
Open</source>
        <translation>Open an existing document
Open</translation>
    </message>
    <message>
        <source>Close the active document
Close</source>
        <translation>Close the active document
Close</translation>
    </message>
    <message>
        <source>Save the active document
Save</source>
        <translation>Save the active document
Save</translation>
    </message>
    <message>
        <source>Save the active document with a new name
Save As</source>
        <translation>Save the active document with a new name
Save As</translation>
    </message>
    <message>
        <source>Display program information, version number and copyright
About</source>
        <translation>Display program information, version number and copyright
About</translation>
    </message>
    <message>
        <source>Quit the application; prompts to save documents
Exit</source>
        <translation>Quit the application; prompts to save documents
Exit</translation>
    </message>
    <message>
        <source>Open another window for the active document
New Window</source>
        <translation>Open another window for the active document
New Window</translation>
    </message>
    <message>
        <source>Arrange icons at the bottom of the window
Arrange Icons</source>
        <translation>Arrange icons at the bottom of the window
Arrange Icons</translation>
    </message>
    <message>
        <source>Arrange windows so they overlap
Cascade Windows</source>
        <translation>Arrange windows so they overlap
Cascade Windows</translation>
    </message>
    <message>
        <source>Arrange windows as non-overlapping tiles
Tile Windows</source>
        <translation>Arrange windows as non-overlapping tiles
Tile Windows</translation>
    </message>
    <message>
        <source>Switch to the next window pane
Next Pane</source>
        <translation>Switch to the next window pane
Next Pane</translation>
    </message>
    <message>
        <source>Switch back to the previous window pane
Previous Pane</source>
        <translation>Switch back to the previous window pane
Previous Pane</translation>
    </message>
    <message>
        <source>Show or hide the toolbar
Toggle ToolBar</source>
        <translation>Show or hide the toolbar
Toggle ToolBar</translation>
    </message>
    <message>
        <source>Show or hide the status bar
Toggle StatusBar</source>
        <translation>Show or hide the status bar
Toggle StatusBar</translation>
    </message>
    <message>
        <source>Show or hide the rebar
Toggle ReBar</source>
        <translation>Show or hide the rebar
Toggle ReBar</translation>
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
        <translation>Print the active document
Print</translation>
    </message>
    <message>
        <source>Cut the selection and put it on the Clipboard
Cut</source>
        <translation>Cut the selection and put it on the Clipboard
Cut</translation>
    </message>
    <message>
        <source>Copy the selection and put it on the Clipboard
Copy</source>
        <translation>Copy the selection and put it on the Clipboard
Copy</translation>
    </message>
    <message>
        <source>Insert Clipboard contents
Paste</source>
        <translation>Insert Clipboard contents
Paste</translation>
    </message>
    <message>
        <source>Undo the last action
Undo</source>
        <translation>Undo the last action
Undo</translation>
    </message>
    <message>
        <source>Display help for clicked on buttons, menus and windows
Help</source>
        <translation>Display help for clicked on buttons, menus and windows
Help</translation>
    </message>
    <message>
        <source>Opens Help
Help Topics</source>
        <translation>Opens Help
Help Topics</translation>
    </message>
    <message>
        <source>Display help for current task or command
Help</source>
        <translation>Display help for current task or command
Help</translation>
    </message>
    <message>
        <source>Open this document</source>
        <translation>Open this document</translation>
    </message>
    <message>
        <source>No printer is installed.</source>
        <translation>No printer is installed.</translation>
    </message>
    <message>
        <source>Failed to start print job.</source>
        <translation>Failed to start print job.</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>Cu&amp;t</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;Paste</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation>Select &amp;All</translation>
    </message>
    <message>
        <source>%1 Properties</source>
        <translation>%1 Properties</translation>
    </message>
    <message>
        <source>(unavailable)</source>
        <translation>(unavailable)</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Location:</source>
        <translation>Location:</translation>
    </message>
    <message>
        <source>Size:</source>
        <translation>Size:</translation>
    </message>
    <message>
        <source>Created:</source>
        <translation>Created:</translation>
    </message>
    <message>
        <source>Modified:</source>
        <translation>Modified:</translation>
    </message>
    <message>
        <source>Accessed:</source>
        <translation>Accessed:</translation>
    </message>
    <message>
        <source>&amp;Read-only</source>
        <translation>&amp;Read-only</translation>
    </message>
    <message>
        <source>&amp;Hidden</source>
        <translation>&amp;Hidden</translation>
    </message>
    <message>
        <source>Attributes:</source>
        <translation>Attributes:</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>Fi&amp;nd what:</source>
        <translation>Fi&amp;nd what:</translation>
    </message>
    <message>
        <source>Re&amp;place with:</source>
        <translation>Re&amp;place with:</translation>
    </message>
    <message>
        <source>Match &amp;whole word only</source>
        <translation>Match &amp;whole word only</translation>
    </message>
    <message>
        <source>Match &amp;case</source>
        <translation>Match &amp;case</translation>
    </message>
    <message>
        <source>&amp;Up</source>
        <translation>&amp;Up</translation>
    </message>
    <message>
        <source>&amp;Down</source>
        <translation>&amp;Down</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>&amp;Find Next</source>
        <translation>&amp;Find Next</translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>&amp;Replace</translation>
    </message>
    <message>
        <source>Replace &amp;All</source>
        <translation>Replace &amp;All</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>byte</source>
        <translation>byte</translation>
    </message>
    <message>
        <source>bytes</source>
        <translation>bytes</translation>
    </message>
</context>
</TS>
