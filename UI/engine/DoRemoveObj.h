#pragma once

#include "DelegateRef.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <vector>

class ProcessRunner;
struct Notification;

class DoRemoveObjDelegate
{
public:
    virtual ~DoRemoveObjDelegate() = default;
    virtual void removeObjEnd() {}
};

// A plain overwrite loop: every path goes to the bundled "srm" tool with the single-pass flag,
// one after another, starting at construction.
class DoRemoveObj : public QObject
{
    Q_OBJECT
public:
    explicit DoRemoveObj(const QStringList &arr, QObject *parent = nullptr);
    ~DoRemoveObj() override;

    bool runTaskWithPath();
    void doneErasing(const Notification *notification = nullptr);

    QStringList allFilesArr() const { return m_allFilesArr; }
    void setAllFilesArr(const QStringList &arr) { m_allFilesArr = arr; }

    DoRemoveObjDelegate *delegate() const;
    // Same ownership rules as the erasure worker's delegate.
    void setDelegate(DoRemoveObjDelegate *delegate);
    void setDelegate(const std::shared_ptr<DoRemoveObjDelegate> &delegate);

private:
    void sendEnd();

    std::unique_ptr<ProcessRunner> m_pEraser;
    std::vector<std::unique_ptr<ProcessRunner>> m_retired;
    QString m_filePathStr;
    QStringList m_allFilesArr;
    int m_idx = 0;

    DelegateRef<DoRemoveObjDelegate> m_delegate;

    bool m_constructing = true;
    bool m_inRunLoop = false;
    bool m_runPending = false;
};
