#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <memory>

// One item of the file list, and during an erase run one entry of the work list. The list, the
// work list and the history writer share the same records, so results written by the worker are
// seen by the window: hold them through FileObjPtr.
class FileObj
{
public:
    FileObj() = default;

    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    QIcon icon() const { return m_icon; }
    void setIcon(const QIcon &icon) { m_icon = icon; }
    // The item's full path (a path, not a URL, whatever the name says).
    QString url() const { return m_url; }
    void setUrl(const QString &url) { m_url = url; }
    QString type() const { return m_type; }
    void setType(const QString &type) { m_type = type; }
    qint64 size() const { return m_size; }
    void setSize(qint64 size) { m_size = size; }
    bool isDir() const { return m_isDir; }
    void setIsDir(bool isDir) { m_isDir = isDir; }
    bool isSelect() const { return m_isSelect; }
    void setIsSelect(bool isSelect) { m_isSelect = isSelect; }
    QString failStr() const { return m_failStr; }
    void setFailStr(const QString &failStr) { m_failStr = failStr; }

    bool isSymbolicLink() const { return m_isSymbolicLink; }
    void setIsSymbolicLink(bool value) { m_isSymbolicLink = value; }
    // Computes the flag from the item at url().
    void setIsSymbolicLink();
    bool isSSD() const { return m_isSSD; }
    void setIsSSD(bool value) { m_isSSD = value; }
    // Computes the flag: whether url() lies on a solid-state drive.
    void setIsSSD();

    // Why the erasure worker must leave the item untouched (a mount point found inside a chosen
    // folder, say); empty for an item to erase. The worker fails such an item with this reason.
    QString refusal() const { return m_refusal; }
    void setRefusal(const QString &reason) { m_refusal = reason; }

    // Whether the item at the path is itself a symbolic link (a final link is not followed).
    static bool isFileSymbolicLink(const QString &path);

private:
    QString m_name;
    QIcon m_icon;
    QString m_url;
    QString m_type;
    qint64 m_size = 0;
    bool m_isDir = false;
    bool m_isSelect = false;
    QString m_failStr;
    bool m_isSymbolicLink = false;
    bool m_isSSD = false;
    QString m_refusal;
};

using FileObjPtr = std::shared_ptr<FileObj>;
using FileObjList = QList<FileObjPtr>;
