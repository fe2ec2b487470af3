#pragma once
// What a tree item stands for. The code is kept in the item itself (as its
// image index), and the commands, the content pane and the shell actions
// decide everything from it.

enum ItemKind
{
    ikNone = 0,       // no item
    ikChildNodes = 1, // "Child Nodes": the node's children
    ikNodeValue = 2,  // "Node Value": the node's text
    ikChildVars = 3,  // "Child Vars": the node's parameters
    ikHeader = 4,     // a header node (processing instruction)
    ikElement = 5,    // a node with a name, other than a header
    ikParam = 6,      // one parameter; the item's node is the parameter's owner
    ikRemark = 7,     // a node without a name
    // Only in XML 1.0 documents (9 stays free: the content pane's "none").
    ikDocType = 10, // "DOCTYPE": the document type declaration
    ikText = 11,    // "Text": a run of an element's mixed content
};

// The kinds that stand for a node itself rather than for a part of one.
constexpr bool IsNodeItemKind(int kind)
{
    return kind == ikHeader || kind == ikElement || kind == ikRemark || kind == ikDocType ||
           kind == ikText;
}
