#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// Storage media (whole disks and their partitions) appearing and going away. Each batch holds the
// names of the media of one delivery; an entry without a value is a medium whose name could not be
// read. Callbacks run on the thread that armed them.
class MediaEventSource
{
public:
    using Batch = QList<std::optional<QString>>;
    using Callback = std::function<void(const Batch &)>;

    virtual ~MediaEventSource() = default;

    // Arms the callback for media that appear from now on and hands back, in present, those that
    // are there already. 0, or a non-zero status when nothing could be armed.
    virtual int addPublishNotification(Callback callback, Batch *present) = 0;
    // Likewise for media that go away; present receives those already gone (none, for a new source).
    virtual int addTerminateNotification(Callback callback, Batch *present) = 0;
};
