#include "IFilesystemNode.h"
#include "VQUIPublic.h"

#include "common/TestSupport.h"
#include "platform/NotificationCenter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <atomic>
#include <memory>
#include <string>

namespace {

constexpr quint64 kUnixEpochAsFileTime = 116444736000000000ULL;

_FILETIME fileTime(quint64 value)
{
    return _FILETIME{value};
}

// A small in-memory tree: folders own their children.
class Node : public IFileNode
{
public:
    Node(std::string name, bool folder) : m_name(std::move(name)), m_folder(folder) {}
    Node *add(std::unique_ptr<Node> child)
    {
        child->m_parent = this;
        if (!m_children.empty())
            m_children.back()->m_next = child.get();
        m_children.push_back(std::move(child));
        return m_children.back().get();
    }
    IFileNode *GetParent() override { return m_parent; }
    IFileNode *GetFirstChild() override { return m_children.empty() ? nullptr : m_children.front().get(); }
    IFileNode *GetNextSibling() override { return m_next; }
    const char *GetName() override { return m_nullName ? nullptr : m_name.c_str(); }
    int IsFolder() override { return m_folder ? 1 : 0; }
    void setNullName() { m_nullName = true; }

    Node *m_parent = nullptr;

private:
    std::string m_name;
    bool m_folder;
    bool m_nullName = false;
    Node *m_next = nullptr;
    std::vector<std::unique_ptr<Node>> m_children;
};

class RootNode : public IFilesystemNode
{
public:
    explicit RootNode(const char *rootName) : m_rootName(rootName) {}
    IFileNode *GetParent() override { return nullptr; }
    IFileNode *GetFirstChild() override { return nullptr; }
    IFileNode *GetNextSibling() override { return nullptr; }
    const char *GetName() override { return "root-name-never-used"; }
    int IsFolder() override { return 1; }
    const char *GetRootName() override { return m_rootName; }

private:
    const char *m_rootName;
};

} // namespace

TEST(VQUIPublic, windowsFileTimesConvertToWholeUnixSeconds)
{
    EXPECT_EQ(convertWindowsTimeToUnixTime(fileTime(kUnixEpochAsFileTime)), 0);
    EXPECT_EQ(convertWindowsTimeToUnixTime(fileTime(kUnixEpochAsFileTime + 9999999)), 0);
    EXPECT_EQ(convertWindowsTimeToUnixTime(fileTime(kUnixEpochAsFileTime + 10000000)), 1);
    // 2001-09-09 01:46:40 UTC
    EXPECT_EQ(convertWindowsTimeToUnixTime(fileTime(kUnixEpochAsFileTime + 1000000000ULL * 10000000ULL)), 1000000000);
    // Before 1970 the count is negative, not a huge unsigned number.
    EXPECT_EQ(convertWindowsTimeToUnixTime(fileTime(0)), -11644473600LL);
}

TEST(VQUIPublic, yearAndMonthAreLocalAndOnlyStoredWhereAsked)
{
    qputenv("TZ", "UTC");
    tzset();
    // 2001-09-09 01:46:40 UTC
    const _FILETIME time = fileTime(kUnixEpochAsFileTime + 1000000000ULL * 10000000ULL);
    int year = 0;
    int month = 0;
    VQUIPublic::GetYearAndMonthByFileTime(&year, &month, time);
    EXPECT_EQ(year, 2001);
    EXPECT_EQ(month, 9);
    int onlyMonth = 0;
    VQUIPublic::GetYearAndMonthByFileTime(nullptr, &onlyMonth, time);
    EXPECT_EQ(onlyMonth, 9);
    VQUIPublic::GetYearAndMonthByFileTime(nullptr, nullptr, time); // must not crash

    // 2001-09-01 02:00 UTC is still August 31st five hours west of Greenwich.
    const _FILETIME earlySeptember = fileTime(kUnixEpochAsFileTime + 999309600ULL * 10000000ULL);
    VQUIPublic::GetYearAndMonthByFileTime(&year, &month, earlySeptember);
    EXPECT_EQ(month, 9);
    qputenv("TZ", "EST5");
    tzset();
    VQUIPublic::GetYearAndMonthByFileTime(&year, &month, earlySeptember);
    qunsetenv("TZ");
    tzset();
    EXPECT_EQ(year, 2001);
    EXPECT_EQ(month, 8);
}

TEST(VQUIPublic, formattedFileTimeNamesTheDate)
{
    const QString text = VQUIPublic::FormatFileTimeToString(fileTime(kUnixEpochAsFileTime + 1000000000ULL * 10000000ULL));
    EXPECT_TRUE(text.contains(QStringLiteral("2001"))) << qPrintable(text);
    const QString before1970 = VQUIPublic::FormatFileTimeToString(fileTime(kUnixEpochAsFileTime - 86400ULL * 366 * 10000000ULL));
    EXPECT_TRUE(before1970.contains(QStringLiteral("1968")) || before1970.contains(QStringLiteral("1969"))) << qPrintable(before1970);
}

TEST(VQUIPublic, substringSearchIgnoresCaseAndTreatsMissingTexts)
{
    EXPECT_TRUE(VQUIPublic::IsStringInString("", nullptr));
    EXPECT_TRUE(VQUIPublic::IsStringInString(nullptr, nullptr));
    EXPECT_FALSE(VQUIPublic::IsStringInString("a", nullptr));
    EXPECT_TRUE(VQUIPublic::IsStringInString("ABC", "xxabcxx"));
    EXPECT_FALSE(VQUIPublic::IsStringInString("abd", "xxabcxx"));
    EXPECT_TRUE(VQUIPublic::IsStringInString("ÄRGER", "großer ärger")); // beyond ASCII too
}

TEST(VQUIPublic, treeSearchLooksAtFilesBelowFoldersNeverAtFolderNames)
{
    Node root("Photos", true);
    Node *holidays = root.add(std::make_unique<Node>("Holidays", true));
    holidays->add(std::make_unique<Node>("beach.JPG", false));
    root.add(std::make_unique<Node>("Empty", true));
    root.add(std::make_unique<Node>("notes.txt", false));

    EXPECT_TRUE(VQUIPublic::IsStringInFileNode("jpg", &root));
    EXPECT_TRUE(VQUIPublic::IsStringInFileNode("NOTES", &root));
    EXPECT_FALSE(VQUIPublic::IsStringInFileNode("holidays", &root));
    EXPECT_FALSE(VQUIPublic::IsStringInFileNode("photos", &root));
    EXPECT_FALSE(VQUIPublic::IsStringInFileNode("x", nullptr));
    EXPECT_TRUE(VQUIPublic::IsStringInFileNode("", nullptr));

    Node emptyFolder("match", true);
    EXPECT_FALSE(VQUIPublic::IsStringInFileNode("match", &emptyFolder));

    // The vector search tests the nodes' own names, folders included, children not.
    std::vector<IFileNode *> nodes{holidays, root.GetFirstChild()->GetNextSibling()};
    EXPECT_TRUE(VQUIPublic::IsStringInFileNodeVector("holi", &nodes));
    EXPECT_TRUE(VQUIPublic::IsStringInFileNodeVector("EMPTY", &nodes));
    EXPECT_FALSE(VQUIPublic::IsStringInFileNodeVector("beach", &nodes));
    EXPECT_TRUE(VQUIPublic::IsStringInFileNodeVector(nullptr, nullptr));
}

TEST(VQUIPublic, pathOfANodeStartsWithItsFileSystemRoot)
{
    RootNode fs("R");
    // A folder whose parent is the file system's root.
    struct UnderRoot : Node
    {
        explicit UnderRoot(IFileNode *root) : Node("a", true), m_root(root) {}
        IFileNode *GetParent() override { return m_root; }
        IFileNode *m_root;
    } aUnderRoot(&fs);
    Node b("b", false);
    b.m_parent = &aUnderRoot;
    EXPECT_EQ(VQUIPublic::GetPathByFileNode(&b), QStringLiteral("/R/a/b"));
    EXPECT_EQ(VQUIPublic::GetPathByFileNode(nullptr), QString());

    RootNode unnamed(nullptr);
    UnderRoot under(&unnamed);
    EXPECT_EQ(VQUIPublic::GetPathByFileNode(&under), QStringLiteral("//a"));

    // A plain node at the top adds only its slash; a missing name counts as empty.
    Node top("top", true);
    Node child("ü", false);
    child.m_parent = &top;
    EXPECT_EQ(VQUIPublic::GetPathByFileNode(&child), QStringLiteral("//ü"));
    child.setNullName();
    EXPECT_EQ(VQUIPublic::GetPathByFileNode(&child), QStringLiteral("//"));
}

TEST(VQUIPublic, fileSystemTypeNames)
{
    EXPECT_EQ(VQUIPublic::GetFileSystemStrByType(31), QStringLiteral("HFS+_"));
    EXPECT_EQ(VQUIPublic::GetFileSystemStrByType(32), QStringLiteral("Fat_"));
    EXPECT_EQ(VQUIPublic::GetFileSystemStrByType(33), QStringLiteral("ExFat_"));
    EXPECT_EQ(VQUIPublic::GetFileSystemStrByType(34), QStringLiteral("RAW_"));
    EXPECT_EQ(VQUIPublic::GetFileSystemStrByType(30), QString());
    EXPECT_EQ(VQUIPublic::GetFileSystemStrByType(35), QString());
}

TEST(VQUIPublic, workRunsOffTheMainThreadThenTheNotificationArrivesOnIt)
{
    QObject observer;
    std::atomic<bool> workDone{false};
    std::atomic<bool> workOnMain{true};
    bool notified = false;
    bool doneBeforeNotified = false;
    bool deliveredOnMain = false;
    const void *sender = nullptr;
    NotificationCenter::defaultCenter().addObserver(&observer, QStringLiteral("WorkFinished"),
                                                    [&](const Notification &notification) {
                                                        notified = true;
                                                        doneBeforeNotified = workDone;
                                                        deliveredOnMain = QThread::currentThread() == qApp->thread();
                                                        sender = notification.object;
                                                    });
    VQUIPublic::NotifyMainThreadByPostKey(QStringLiteral("WorkFinished"), [&] {
        QThread::msleep(50);
        workOnMain = QThread::currentThread() == qApp->thread();
        workDone = true;
    });
    EXPECT_FALSE(notified); // the caller does not wait
    ASSERT_TRUE(testsupport::waitUntil([&] { return notified; }));
    EXPECT_FALSE(workOnMain);
    EXPECT_TRUE(doneBeforeNotified);
    EXPECT_TRUE(deliveredOnMain);
    EXPECT_EQ(sender, VQUIPublic::postingObject());
    NotificationCenter::defaultCenter().removeObserver(&observer);
}
