#pragma once

#include "CustemImageButton.h"
#include "VQHandButton.h"
#include <QLabel>
#include <QProgressBar>
#include <QScrollArea>

#include "FadingDialogController.h"

#include <QFont>
#include <QList>
#include <QPointer>
#include <QRectF>
#include <QUrl>
#include <QVariantMap>
#include <functional>
#include <optional>

// The modal window that tells whether a newer build exists. When the window is first built a
// worker thread probes the network and fetches the version list named by the link "IniURL"; its
// outcome is handed to the main thread, which compares the builds and switches the window from
// the checking pane to the no-network, up-to-date or update pane. Keep the controller: later
// showings show the result found, except that after a no-network result each showing checks again.
class VQCheckUpdateWindowController : public FadingDialogController
{
    Q_OBJECT

public:
    enum class Pane { Checking, NoNetwork, NoUpdate, HaveUpdate };

    // 1 when the network answers, 0 when it does not; runs on the worker thread.
    using NetworkProbe = std::function<int()>;
    // The version list at the address, or nothing when the fetch or the parse fails; runs on the
    // worker thread.
    using VersionListFetcher = std::function<std::optional<QVariantMap>(const QUrl &url)>;

    struct NoteLabel
    {
        QString text;
        QString toolTip;
        QRectF frame; // bottom-left, inside the note list
    };
    struct NotesLayout
    {
        float listHeight = 0.0f;
        QList<NoteLabel> labels;
    };

    explicit VQCheckUpdateWindowController(QObject *parent = nullptr);
    ~VQCheckUpdateWindowController() override;

    // Seams for the worker (tests); set before the window is built.
    void setNetworkProbe(NetworkProbe probe) { m_networkProbe = std::move(probe); }
    void setVersionListFetcher(VersionListFetcher fetcher) { m_fetcher = std::move(fetcher); }

    // loadWindow() builds the window on first use, which starts the check.
    // Shows the window centred, fully opaque, and returns when its modal loop has ended.
    void runModal();

    Pane currentPane() const { return m_pane; }
    bool isCheckRunning() const { return m_checkRunning; }
    int checksStarted() const { return m_checksStarted; }

    // Compares the fetched list (nothing when the fetch failed) with the local build and fills
    // the panes. Main thread only.
    void whatIsNewVersionDiff(const std::optional<QVariantMap> &remote);
    // Height of the text wrapped at the width in the font, without padding.
    static qreal heightForStringDrawing(const QString &text, const QFont &font, qreal width);
    // Where the change notes go: every entry counts towards the list's height (at least 30
    // each, at least 99 in all); labels "1:note", "2:note", ... are stacked from the top, each at
    // least 25 high. A number missing from the keys gets no label. When moreNotes is above 0, a
    // last line says how many notes are not shown.
    static NotesLayout layoutChangeNotes(const QVariantMap &notes, const std::function<qreal(const QString &)> &measure,
                                         qsizetype moreNotes = 0);
    // The notes the update pane shows of a version list: the first kMaxNotesShown by number, each
    // cut to kMaxNoteLength characters; *more gets how many others the list holds.
    static QVariantMap notesToShow(const QVariantMap &remote, qsizetype *more);
    static constexpr int kMaxNotesShown = 30;
    static constexpr int kMaxNoteLength = 400;
    // A build number as the version lists give it: an integer, or text starting with decimal
    // digits; anything else is 0. Out-of-range values stop at the 32-bit limits.
    static int intValue(const QVariant &value);
    // The local build number, read afresh from the settings list (0 when missing).
    static int localVersionCheck();

    static std::optional<QVariantMap> fetchVersionList(const QUrl &url);
    static int fetchTimeoutMs() { return 15000; }

    // Both close buttons: end the modal loop, close at once, then tell the delegate.
    void closeWindow();
    void closeWindowAction() { closeWindow(); }
    // Opens the download page, the link "UpdateURL".
    void updateClickHereAction();

    // Sent runRootWindow (when it has that slot) after the window has closed. Not owned.
    QObject *delegate() const { return m_delegate; }
    void setDelegate(QObject *delegate) { m_delegate = delegate; }

    QWidget *checkProgressView() const { return m_checkProgressView; }
    QWidget *noNetworkView() const { return m_noNetworkView; }
    QWidget *noUpdateView() const { return m_noUpdateView; }
    QWidget *haveUpdateView() const { return m_haveUpdateView; }
    QLabel *titleLable() const { return m_titleLable; }
    QLabel *versionLabel() const { return m_versionLabel; }
    QScrollArea *changeValueScrollView() const { return m_changeValueScrollView; }
    QWidget *showVersionScrollView() const { return m_showVersionScrollView; }
    QLabel *titleLabel() const { return m_titleLabel; }

signals:
    // The outcome of the check has been applied to the panes (main thread).
    void versionCheckFinished();

protected:
    QSize contentSize() const override;
    void windowDidLoad() override;

private:
    struct CheckResult
    {
        bool networkAvailable = false;
        std::optional<QVariantMap> remote;
    };

    void buildPanes(QWidget *content);
    // Starts the worker thread; it never touches a widget.
    void startVersionCheck();
    static CheckResult getVersionChange(const NetworkProbe &probe, const VersionListFetcher &fetcher);
    void applyCheckResult(const CheckResult &result);
    void showPane(Pane pane);
    void scrollNotesToTop();

    NetworkProbe m_networkProbe;
    VersionListFetcher m_fetcher;
    QPointer<QWidget> m_titleBarView;
    QPointer<QLabel> m_titleLabel;
    QPointer<QWidget> m_checkProgressView;
    QPointer<QWidget> m_noNetworkView;
    QPointer<QWidget> m_noUpdateView;
    QPointer<QWidget> m_haveUpdateView;
    QPointer<QLabel> m_titleLable;
    QPointer<QLabel> m_versionLabel;
    QPointer<QScrollArea> m_changeValueScrollView;
    QPointer<QWidget> m_showVersionScrollView;
    QPointer<QProgressBar> m_progressBar;
    QPointer<VQHandButton> m_downloadLink;
    QPointer<CustemImageButton> m_closeButton;
    QPointer<QObject> m_delegate;
    Pane m_pane = Pane::Checking;
    bool m_checkRunning = false;
    int m_checksStarted = 0;
};
