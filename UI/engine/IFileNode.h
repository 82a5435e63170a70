#pragma once

// A node of a file tree read from some file system's own structures. Only the interface exists
// here: readers of particular file systems provide the nodes. Texts are NUL-terminated UTF-8 owned
// by the node; nullptr stands for "none".
class IFileNode
{
public:
    virtual ~IFileNode() = default;

    virtual IFileNode *GetParent() = 0;
    virtual IFileNode *GetFirstChild() = 0;
    virtual IFileNode *GetNextSibling() = 0;
    virtual const char *GetName() = 0;
    // Non-zero for a folder: searches look into its children instead of at its name.
    virtual int IsFolder() = 0;
};
