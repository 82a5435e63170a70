#pragma once

#include "IFileNode.h"

// The root node of one file system; its root name heads the paths of the nodes below it.
class IFilesystemNode : public IFileNode
{
public:
    virtual const char *GetRootName() = 0;
};
