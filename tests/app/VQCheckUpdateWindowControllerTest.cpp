#include "VQCheckUpdateWindowController.h"

#include "ApplicationModal.h"
#include "DialogTestSupport.h"
#include "KitGeometry.h"
#include "NetworkModule.h"
#include "TCImageWindow.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QFuture>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QtConcurrent>
#include <atomic>

namespace {

using Controller = VQCheckUpdateWindowController;
using Pane = VQCheckUpdateWindowController::Pane;

QVariantMap remoteList(const QVariant &build, const QVariantMap &notes = {})
{
    QVariantMap list = notes;
    if (build.isValid())
        list.insert(QStringLiteral("VersionCheck"), build);
    list.insert(QStringLiteral("Version"), QStringLiteral("2.1"));
    return list;
}

// Runs one whole check against a fetched list (or a failed fetch) and waits for its outcome.
Pane checkAgainst(Controller &controller, std::optional<QVariantMap> remote, int network = 1)
{
    controller.setNetworkProbe([network] { return network; });
    controller.setVersionListFetcher([remote](const QUrl &) { return remote; });
    controller.loadWindow();
    EXPECT_TRUE(testsupport::waitUntil([&] { return !controller.isCheckRunning(); }));
    return controller.currentPane();
}

QStringList noteTexts(const Controller &controller)
{
    QStringList texts;
    for (QLabel *label : controller.showVersionScrollView()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly))
        texts << label->text();
    return texts;
}

// Serves one canned HTTP answer to every request on the loopback interface.
class OneAnswerServer
{
public:
    explicit OneAnswerServer(QByteArray answer) : m_answer(std::move(answer))
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    socket->readAll();
                    socket->write(m_answer);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/version.plist").arg(m_server.serverPort())); }

private:
    QTcpServer m_server;
    QByteArray m_answer;
};

QByteArray httpAnswer(int status, const QByteArray &body)
{
    return "HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Type: application/xml\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

std::optional<QVariantMap> fetchOffTheMainThread(const QUrl &url)
{
    QFuture<std::optional<QVariantMap>> future = QtConcurrent::run([url] { return Controller::fetchVersionList(url); });
    EXPECT_TRUE(testsupport::waitUntil([&] { return future.isFinished(); }, 20000));
    return future.result();
}

// The longest time the event loop went without running a timer, while it lives.
class EventLoopGapMeter
{
public:
    EventLoopGapMeter()
    {
        m_clock.start();
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, m_clock.restart());
        });
        m_timer.start();
    }
    qint64 longestMs() const { return m_longest; }

private:
    QElapsedTimer m_clock;
    QTimer m_timer;
    qint64 m_longest = 0;
};

} // namespace

TEST(VQCheckUpdateWindowController, BuildNumbersReadLikeTheVersionListsWriteThem)
{
    EXPECT_EQ(Controller::intValue(QVariant(qlonglong(120))), 120);
    EXPECT_EQ(Controller::intValue(QStringLiteral("120")), 120);
    EXPECT_EQ(Controller::intValue(QStringLiteral("  42 beta")), 42);
    EXPECT_EQ(Controller::intValue(QStringLiteral("-7")), -7);
    EXPECT_EQ(Controller::intValue(QStringLiteral("v12")), 0);
    EXPECT_EQ(Controller::intValue(QVariant()), 0);
    EXPECT_EQ(Controller::intValue(QVariantList{1}), 0);
    EXPECT_EQ(Controller::intValue(QStringLiteral("99999999999999999999")), std::numeric_limits<int>::max());
    EXPECT_EQ(Controller::intValue(QVariant(qlonglong(1) << 40)), std::numeric_limits<int>::max())
        << "a huge build number must not wrap round to a small or negative one";
    EXPECT_EQ(Controller::intValue(QVariant(-(qlonglong(1) << 40))), std::numeric_limits<int>::min());
}

TEST(VQCheckUpdateWindowController, OnlyAStrictlyGreaterRemoteBuildIsAnUpdate)
{
    dialogtest::DialogBundle bundle; // local build 100
    {
        Controller equal;
        EXPECT_EQ(checkAgainst(equal, remoteList(100)), Pane::NoUpdate);
        EXPECT_FALSE(equal.haveUpdateView()->isVisibleTo(equal.window()));
    }
    {
        Controller lower;
        EXPECT_EQ(checkAgainst(lower, remoteList(99)), Pane::NoUpdate);
    }
    {
        Controller higher;
        EXPECT_EQ(checkAgainst(higher, remoteList(QStringLiteral("101"))), Pane::HaveUpdate);
        EXPECT_TRUE(higher.haveUpdateView()->isVisibleTo(higher.window()));
        EXPECT_FALSE(higher.checkProgressView()->isVisibleTo(higher.window()));
        EXPECT_EQ(higher.titleLable()->text(), QStringLiteral("Ostrivan Nullwell 2.1 has been released."));
        EXPECT_EQ(higher.versionLabel()->text(), QStringLiteral("New features of Version 2.1:"));
    }
}

TEST(VQCheckUpdateWindowController, MissingKeysBrokenListsAndNoNetwork)
{
    dialogtest::DialogBundle bundle;
    {
        Controller noKey;
        EXPECT_EQ(checkAgainst(noKey, remoteList(QVariant())), Pane::NoUpdate);
    }
    {
        Controller failedFetch;
        EXPECT_EQ(checkAgainst(failedFetch, std::nullopt), Pane::NoUpdate);
    }
    {
        Controller offline;
        std::atomic<int> fetches{0};
        offline.setVersionListFetcher([&](const QUrl &) {
            ++fetches;
            return std::optional<QVariantMap>(remoteList(500));
        });
        offline.setNetworkProbe([] { return 0; });
        offline.loadWindow();
        ASSERT_TRUE(testsupport::waitUntil([&] { return !offline.isCheckRunning(); }));
        EXPECT_EQ(offline.currentPane(), Pane::NoNetwork);
        EXPECT_EQ(fetches.load(), 0) << "the list is not fetched when the probe fails";
    }
    QVariantMap noLocalBuild = dialogtest::settingsList();
    noLocalBuild.remove(QStringLiteral("VersionCheck"));
    bundle.writeSettings(noLocalBuild);
    {
        Controller anyPositive;
        EXPECT_EQ(checkAgainst(anyPositive, remoteList(1)), Pane::HaveUpdate);
    }
}

TEST(VQCheckUpdateWindowController, NotesAreLaidOutFromTheTopInNumericOrder)
{
    const auto fixed = [](std::map<QString, qreal> heights) {
        return [heights](const QString &text) { return heights.count(text) ? heights.at(text) : 14.0; };
    };
    const Controller::NotesLayout none = Controller::layoutChangeNotes({}, fixed({}));
    EXPECT_EQ(none.listHeight, 99.0f);
    EXPECT_TRUE(none.labels.isEmpty());

    const Controller::NotesLayout one = Controller::layoutChangeNotes({{QStringLiteral("1"), QStringLiteral("Faster")}}, fixed({}));
    EXPECT_EQ(one.listHeight, 99.0f);
    ASSERT_EQ(one.labels.size(), 1);
    EXPECT_EQ(one.labels[0].text, QStringLiteral("1:Faster"));
    EXPECT_EQ(one.labels[0].toolTip, QStringLiteral("Faster"));
    EXPECT_EQ(one.labels[0].frame, QRectF(0, 74, 360, 25));

    const Controller::NotesLayout three = Controller::layoutChangeNotes(
        {{QStringLiteral("1"), QStringLiteral("a")}, {QStringLiteral("2"), QStringLiteral("long")}, {QStringLiteral("3"), QStringLiteral("c")}},
        fixed({{QStringLiteral("long"), 40.0}}));
    EXPECT_EQ(three.listHeight, 100.0f);
    ASSERT_EQ(three.labels.size(), 3);
    EXPECT_EQ(three.labels[0].frame, QRectF(0, 75, 360, 25));
    EXPECT_EQ(three.labels[1].frame, QRectF(0, 35, 360, 40));
    EXPECT_EQ(three.labels[2].frame, QRectF(0, 10, 360, 25));

    // Keys sort as text ("10" before "2"); the labels must still run 1, 2, ..., 10.
    QVariantMap eleven;
    for (int i = 1; i <= 11; ++i)
        eleven.insert(QString::number(i), QStringLiteral("n%1").arg(i));
    const Controller::NotesLayout many = Controller::layoutChangeNotes(eleven, fixed({}));
    ASSERT_EQ(many.labels.size(), 11);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(many.labels[i].text, QStringLiteral("%1:n%1").arg(i + 1));
    EXPECT_GT(many.labels[1].frame.y(), many.labels[9].frame.y()) << "note 2 sits above note 10";

    // A gap in the numbering still counts towards the height but shows no "(null)" label.
    const Controller::NotesLayout gap = Controller::layoutChangeNotes(
        {{QStringLiteral("1"), QStringLiteral("a")}, {QStringLiteral("3"), QStringLiteral("c")}, {QStringLiteral("x"), QStringLiteral("d")}},
        fixed({}));
    EXPECT_EQ(gap.listHeight, 99.0f);
    ASSERT_EQ(gap.labels.size(), 2);
    EXPECT_EQ(gap.labels[0].text, QStringLiteral("1:a"));
    EXPECT_EQ(gap.labels[1].text, QStringLiteral("3:c"));
}

TEST(VQCheckUpdateWindowController, UpdatePaneShowsTheNotesInTheListView)
{
    dialogtest::DialogBundle bundle;
    Controller controller;
    checkAgainst(controller, remoteList(200, {{QStringLiteral("2"), QStringLiteral("Second")},
                                              {QStringLiteral("1"), QStringLiteral("First")}}));
    EXPECT_EQ(noteTexts(controller), (QStringList{QStringLiteral("1:First"), QStringLiteral("2:Second")}));
    EXPECT_EQ(controller.showVersionScrollView()->size(), QSize(430, 99));
    const QList<QLabel *> labels = controller.showVersionScrollView()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    EXPECT_LT(labels[0]->y(), labels[1]->y()) << "note 1 at the top";

    Controller empty;
    checkAgainst(empty, remoteList(200));
    EXPECT_TRUE(noteTexts(empty).isEmpty());
    EXPECT_EQ(empty.showVersionScrollView()->size(), QSize(430, 99));
}

TEST(VQCheckUpdateWindowController, ALongNoteGetsALabelTallEnoughForItsText)
{
    dialogtest::DialogBundle bundle;
    Controller controller;
    const QString longNote = QStringLiteral("The history can be exported as a text file, with the method and the "
                                            "result of every erased item listed on a line of its own, and the "
                                            "export keeps the order in which the items were erased.");
    checkAgainst(controller, remoteList(200, {{QStringLiteral("1"), longNote}, {QStringLiteral("2"), QStringLiteral("Short")}}));
    const QList<QLabel *> labels = controller.showVersionScrollView()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(labels.size(), 2);
    EXPECT_GE(labels[0]->height(), labels[0]->heightForWidth(labels[0]->width()))
        << "the text of a long note must not run into the next one";
    EXPECT_LE(labels[0]->geometry().bottom(), labels[1]->geometry().top());
    EXPECT_GE(controller.showVersionScrollView()->height(), labels[1]->geometry().bottom());
}

TEST(VQCheckUpdateWindowController, TheWorkerNeverTouchesTheWindowAndItsOutcomeArrivesOnTheMainThread)
{
    dialogtest::DialogBundle bundle;
    Controller controller;
    QSemaphore release;
    std::atomic<bool> fetchedOffMain{false};
    controller.setNetworkProbe([] { return 1; });
    controller.setVersionListFetcher([&](const QUrl &url) {
        fetchedOffMain = QThread::currentThread() != qApp->thread() && url.path() == QLatin1String("/version.plist");
        release.acquire();
        return std::optional<QVariantMap>(remoteList(300));
    });
    bool finishedOnMain = false;
    QObject::connect(&controller, &Controller::versionCheckFinished, &controller,
                     [&] { finishedOnMain = QThread::currentThread() == qApp->thread(); }, Qt::DirectConnection);
    controller.loadWindow();
    EXPECT_EQ(controller.currentPane(), Pane::Checking);
    EXPECT_TRUE(controller.checkProgressView()->isVisibleTo(controller.window()));
    testsupport::waitUntil([] { return false; }, 50);
    EXPECT_EQ(controller.currentPane(), Pane::Checking) << "still checking while the fetch blocks";
    release.release();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !controller.isCheckRunning(); }));
    EXPECT_TRUE(fetchedOffMain.load());
    EXPECT_TRUE(finishedOnMain);
    EXPECT_EQ(controller.currentPane(), Pane::HaveUpdate);
}

TEST(VQCheckUpdateWindowController, AControllerGoneBeforeTheCheckEndsIsLeftAlone)
{
    dialogtest::DialogBundle bundle;
    QSemaphore release;
    std::atomic<bool> fetched{false};
    {
        Controller controller;
        controller.setNetworkProbe([] { return 1; });
        controller.setVersionListFetcher([&](const QUrl &) {
            release.acquire();
            fetched = true;
            return std::optional<QVariantMap>(remoteList(300));
        });
        controller.loadWindow();
    }
    release.release();
    ASSERT_TRUE(testsupport::waitUntil([&] { return fetched.load(); }));
    testsupport::waitUntil([] { return false; }, 50); // the late outcome lands nowhere, harmlessly
}

TEST(VQCheckUpdateWindowController, ClosingEarlyKeepsTheResultAndReopeningStartsNoNewCheck)
{
    dialogtest::DialogBundle bundle;
    Controller controller;
    QSemaphore release;
    std::atomic<int> fetches{0};
    controller.setNetworkProbe([] { return 1; });
    controller.setVersionListFetcher([&](const QUrl &) {
        ++fetches;
        release.acquire();
        return std::optional<QVariantMap>(remoteList(100));
    });
    std::vector<QWidget *> shown;
    ApplicationModal::setRunnerForTesting([&](QWidget *window) { shown.push_back(window); });
    controller.runModal();
    controller.closeWindow();
    EXPECT_FALSE(ApplicationModal::isRunningModal());
    EXPECT_FALSE(controller.window()->isVisible());
    release.release();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !controller.isCheckRunning(); }));

    controller.runModal();
    EXPECT_TRUE(controller.window()->isVisible());
    EXPECT_EQ(controller.currentPane(), Pane::NoUpdate);
    EXPECT_EQ(controller.checksStarted(), 1);
    EXPECT_EQ(fetches.load(), 1);
    controller.closeWindowAction();
    ApplicationModal::setRunnerForTesting(nullptr);
    EXPECT_EQ(shown.size(), 2u);
}

TEST(VQCheckUpdateWindowController, AWindowThatFadedOutComesBackVisible)
{
    dialogtest::DialogBundle bundle;
    Controller controller;
    checkAgainst(controller, remoteList(100));
    ApplicationModal::setRunnerForTesting([](QWidget *) {});
    controller.runModal();
    ASSERT_TRUE(testsupport::waitUntil([&] { return controller.window()->windowOpacity() == 1.0; }));
    EXPECT_FALSE(controller.windowShouldClose(controller.window()));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !controller.window()->isVisible(); }));
    EXPECT_FALSE(ApplicationModal::isRunningModal()) << "the end of the fade ends the modal run";
    EXPECT_EQ(controller.window()->windowOpacity(), 0.0);

    controller.runModal();
    EXPECT_TRUE(controller.window()->isVisible());
    EXPECT_EQ(controller.window()->windowOpacity(), 1.0);
    controller.closeWindow();
    ApplicationModal::setRunnerForTesting(nullptr);
}

class RootWindowOpener : public QObject
{
    Q_OBJECT
public:
    int runs = 0;
public slots:
    void runRootWindow() { ++runs; }
};

TEST(VQCheckUpdateWindowController, CloseButtonsEndTheRunAndTellTheOpener)
{
    dialogtest::DialogBundle bundle;
    dialogtest::RecordingWorkspace workspace;
    Controller controller;
    checkAgainst(controller, remoteList(300));
    RootWindowOpener opener;
    controller.setDelegate(&opener);
    QTimer::singleShot(0, [&] { controller.window()->standardWindowButton(TCImageWindow::CloseButton)->click(); });
    controller.runModal(); // returns only because the close button ended the loop
    EXPECT_FALSE(controller.window()->isVisible());
    EXPECT_EQ(controller.window()->windowOpacity(), 1.0) << "closed at once, without a fade";
    EXPECT_EQ(opener.runs, 1);

    QObject notAnOpener;
    controller.setDelegate(&notAnOpener);
    QTimer::singleShot(0, [&] { controller.closeWindowAction(); });
    controller.runModal();
    EXPECT_EQ(opener.runs, 1);

    controller.updateClickHereAction();
    EXPECT_EQ(workspace.urls, QStringList{QStringLiteral("https://example.test/download")});
}

TEST(VQCheckUpdateWindowController, FetchesTheVersionListOverHttp)
{
    const QVariantMap list = remoteList(321, {{QStringLiteral("1"), QStringLiteral("Note")}});
    OneAnswerServer good(httpAnswer(200, PropertyList::toData(list)));
    const std::optional<QVariantMap> fetched = fetchOffTheMainThread(good.url());
    ASSERT_TRUE(fetched.has_value());
    EXPECT_EQ(Controller::intValue(fetched->value(QStringLiteral("VersionCheck"))), 321);
    EXPECT_EQ(fetched->value(QStringLiteral("1")).toString(), QStringLiteral("Note"));

    OneAnswerServer binary(httpAnswer(200, PropertyList::toData(list, PropertyList::Format::Binary)));
    EXPECT_TRUE(fetchOffTheMainThread(binary.url()).has_value());

    OneAnswerServer broken(httpAnswer(200, "<html>not a list</html>"));
    EXPECT_FALSE(fetchOffTheMainThread(broken.url()).has_value());
    OneAnswerServer notADictionary(httpAnswer(200, PropertyList::toData(QVariantList{1, 2})));
    EXPECT_FALSE(fetchOffTheMainThread(notADictionary.url()).has_value());
    OneAnswerServer missing(httpAnswer(404, PropertyList::toData(list)));
    EXPECT_FALSE(fetchOffTheMainThread(missing.url()).has_value()) << "an error page is no version list";

    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const quint16 port = closed.serverPort();
    closed.close();
    EXPECT_FALSE(fetchOffTheMainThread(QUrl(QStringLiteral("http://127.0.0.1:%1/v.plist").arg(port))).has_value());
}

TEST(VQCheckUpdateWindowController, WholeCheckAgainstALoopbackServer)
{
    OneAnswerServer server(httpAnswer(200, PropertyList::toData(remoteList(150))));
    dialogtest::DialogBundle bundle(dialogtest::settingsList(server.url().toString()));
    Controller controller;
    controller.setNetworkProbe([] { return 1; });
    controller.loadWindow();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !controller.isCheckRunning(); }, 20000));
    EXPECT_EQ(controller.currentPane(), Pane::HaveUpdate);
}

TEST(VQCheckUpdateWindowController, HostileAnswersNeverStallTheWindow)
{
    QVariantMap manyNotes = remoteList(500);
    for (int i = 1; i <= 20000; ++i)
        manyNotes.insert(QString::number(i), QStringLiteral("note %1").arg(i));
    QVariantMap oneHugeNote = remoteList(500);
    oneHugeNote.insert(QStringLiteral("1"), QStringLiteral("word ").repeated(150000));
    for (const QVariantMap &list : {manyNotes, oneHugeNote}) {
        OneAnswerServer server(httpAnswer(200, PropertyList::toData(list, PropertyList::Format::Binary)));
        dialogtest::DialogBundle bundle(dialogtest::settingsList(server.url().toString()));
        Controller controller;
        controller.setNetworkProbe([] { return 1; });
        controller.loadWindow();
        controller.window()->show();
        EventLoopGapMeter meter;
        ASSERT_TRUE(testsupport::waitUntil([&] { return !controller.isCheckRunning(); }, 60000));
        QTest::qWait(200); // the notes are laid out and painted
        // Laying every note out froze the window for seconds; a loaded machine alone can hold a
        // turn back for a tenth of one, so only a stall well beyond that counts.
        EXPECT_LT(meter.longestMs(), 1000) << "the window stopped answering";
        EXPECT_EQ(controller.currentPane(), Pane::HaveUpdate);
        const QStringList texts = noteTexts(controller);
        if (list.size() > 100) {
            ASSERT_EQ(texts.size(), Controller::kMaxNotesShown + 1);
            EXPECT_EQ(texts.first(), QStringLiteral("1:note 1"));
            EXPECT_EQ(texts.last(), QStringLiteral("\u2026and 19970 more"));
        } else {
            ASSERT_EQ(texts.size(), 1);
            EXPECT_EQ(texts.first().size(), 2 + Controller::kMaxNoteLength);
        }
    }
}

TEST(VQCheckUpdateWindowController, RedirectsAreFollowedOnlyOnTheWeb)
{
    const QVariantMap list = remoteList(321);
    OneAnswerServer good(httpAnswer(200, PropertyList::toData(list)));
    const auto redirectTo = [](const QByteArray &target) {
        return QByteArray("HTTP/1.1 302 Found\r\nLocation: ") + target +
               "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    };
    OneAnswerServer toWeb(redirectTo(good.url().toEncoded()));
    EXPECT_TRUE(fetchOffTheMainThread(toWeb.url()).has_value());

    QTemporaryDir dir;
    const QString local = dir.filePath(QStringLiteral("version.plist"));
    PropertyList::write(local, list);
    for (const QByteArray &target : {QUrl::fromLocalFile(local).toEncoded(), QByteArray("ftp://127.0.0.1/v.plist"),
                                     QByteArray("data:application/xml,") + PropertyList::toData(list).toPercentEncoding()}) {
        OneAnswerServer elsewhere(redirectTo(target));
        EXPECT_FALSE(fetchOffTheMainThread(elsewhere.url()).has_value()) << target.left(40).constData();
    }
}

TEST(VQCheckUpdateWindowController, Previews)
{
    dialogtest::DialogBundle bundle;
    {
        Controller checking;
        QSemaphore release;
        checking.setNetworkProbe([&] {
            release.acquire();
            return 0;
        });
        checking.loadWindow()->setWindowOpacity(1.0);
        dialogtest::savePreview(checking.window(), QStringLiteral("update-checking"));
        release.release();
        ASSERT_TRUE(testsupport::waitUntil([&] { return !checking.isCheckRunning(); }));
        dialogtest::savePreview(checking.window(), QStringLiteral("update-no-network"));
    }
    Controller latest;
    checkAgainst(latest, remoteList(100));
    dialogtest::savePreview(latest.window(), QStringLiteral("update-latest"));
    Controller update;
    checkAgainst(update, remoteList(101, {{QStringLiteral("1"), QStringLiteral("Erases folders with many small files twice as fast.")},
                                         {QStringLiteral("2"), QStringLiteral("The history can be exported as a text file, with the method and result of every erased item listed on its own line.")},
                                         {QStringLiteral("3"), QStringLiteral("Fixes a rare hang when an external drive is removed while it is being erased.")},
                                         {QStringLiteral("4"), QStringLiteral("Improved translations.")}}));
    dialogtest::savePreview(update.window(), QStringLiteral("update-available"));
}

#include "VQCheckUpdateWindowControllerTest.moc"

TEST(VQCheckUpdateWindowController, AfterNoNetworkReopeningChecksAgain)
{
    dialogtest::DialogBundle bundle;
    Controller controller;
    std::atomic<int> network{0};
    controller.setNetworkProbe([&network] { return network.load(); });
    controller.setVersionListFetcher(
        [](const QUrl &) { return std::optional<QVariantMap>(remoteList(300)); });
    ApplicationModal::setRunnerForTesting([](QWidget *) {});
    controller.runModal();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !controller.isCheckRunning(); }));
    EXPECT_EQ(controller.currentPane(), Pane::NoNetwork);
    controller.closeWindow();

    // The network is back: the next opening shows the checking pane and then the answer.
    network = 1;
    controller.runModal();
    EXPECT_EQ(controller.checksStarted(), 2);
    EXPECT_TRUE(controller.checkProgressView()->isVisibleTo(controller.window()));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !controller.isCheckRunning(); }));
    EXPECT_EQ(controller.currentPane(), Pane::HaveUpdate);
    controller.closeWindow();

    // Any other answer stays: no further check.
    controller.runModal();
    EXPECT_EQ(controller.checksStarted(), 2);
    controller.closeWindow();
    ApplicationModal::setRunnerForTesting(nullptr);
}

TEST(VQCheckUpdateWindowController, ReturnAndEscapeCloseTheModalDialogWhichCannotBeMinimised)
{
    dialogtest::DialogBundle bundle;
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        Controller controller;
        checkAgainst(controller, remoteList(100));
        TCImageWindow *window = controller.window();
        EXPECT_TRUE(window->standardWindowButton(TCImageWindow::MinimizeButton)->isHidden());
        EXPECT_TRUE(window->standardWindowButton(TCImageWindow::ZoomButton)->isHidden());
        QTimer::singleShot(0, [window, key] { QTest::keyClick(window, key); });
        controller.runModal(); // returns only because the key ended the loop
        EXPECT_FALSE(window->isVisible());
        EXPECT_FALSE(ApplicationModal::isRunningModal());
    }
}

TEST(VQCheckUpdateWindowController, WithoutItsNetworkModuleTheCheckFailsAsOffline)
{
    OneAnswerServer server(httpAnswer(200, PropertyList::toData(remoteList(150))));
    dialogtest::DialogBundle bundle(dialogtest::settingsList(server.url().toString()));
    testsupport::LogCapture log;
    NetworkModule::setPathOverride(QStringLiteral("/nonexistent/libnullwell_network.so"));
    EXPECT_FALSE(Controller::fetchVersionList(server.url()).has_value());
    Controller controller; // the real probe and fetch
    controller.loadWindow();
    const bool ended = testsupport::waitUntil([&] { return !controller.isCheckRunning(); }, 20000);
    NetworkModule::setPathOverride(QStringLiteral(NULLWELL_NETWORK_MODULE));
    ASSERT_TRUE(ended);
    EXPECT_EQ(controller.currentPane(), Pane::NoNetwork);
    EXPECT_TRUE(log.contains(QStringLiteral("cannot load the network module")));
}

TEST(VQCheckUpdateWindowController, TheProgramStartsWithoutTheNetworkLibraries)
{
    // What a program links is loaded and searched at every start, before the first window.
    QProcess readelf;
    readelf.start(QStringLiteral("readelf"), {QStringLiteral("-d"), QStringLiteral(NULLWELL_INNER_BUNDLE "/Contents/MacOS/" NULLWELL_PRODUCT)});
    if (!readelf.waitForFinished(10000) || readelf.exitCode() != 0)
        GTEST_SKIP() << "readelf is not available";
    const QByteArray dynamic = readelf.readAllStandardOutput();
    ASSERT_TRUE(dynamic.contains("libQt6Widgets")) << dynamic.constData();
    EXPECT_FALSE(dynamic.contains("libQt6Network"));
    EXPECT_FALSE(dynamic.contains("libudev"));
}
