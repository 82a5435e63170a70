#include "VQCheckUpdateWindowController.h"

#include "ApplicationModal.h"
#include "CustemImageButton.h"
#include "DialogLayout.h"
#include "KitGeometry.h"
#include "NetworkModule.h"
#include "NetworkModuleInterface.h"
#include "TCImageWindow.h"
#include "TCWindowButton.h"
#include "Theme.h"
#include "TitleBarDressing.h"
#include "VQHandButton.h"
#include "VQLinkUrl.h"
#include "VQPublicUtilities.h"
#include "platform/PropertyList.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QThread>
#include <limits>

namespace {

constexpr int kWidth = 420;
constexpr int kContentHeight = 258;
constexpr qreal kNoteListWidth = 430;
constexpr qreal kNoteLabelWidth = 360;
// Room around a note's text inside its label, and what the "n:" before it may take.
constexpr int kNoteSideMargin = 8;
constexpr int kNoteTopMargin = 3;
constexpr qreal kNoteNumberRoom = 28;
// A version list is a few hundred bytes; anything far larger is not one.
constexpr qint64 kMaxVersionListBytes = 1 << 20;
constexpr int kMaxRedirects = 5;

QWidget *makePane(QWidget *content)
{
    auto *pane = new QWidget(content);
    pane->setGeometry(0, 0, content->width(), content->height());
    pane->hide();
    return pane;
}

// The picture and the two lines of the no-network and up-to-date panes.
void fillMessagePane(QWidget *pane, const char *image, const QString &headline, const QString &detail)
{
    DialogLayout::addImage(pane, QRectF((kWidth - 64) / 2.0, 168, 64, 64), image);
    DialogLayout::addText(pane, QRectF(20, 128, kWidth - 40, 28), headline, theme::helveticaLight(17),
                          theme::dialogBodyText(), Qt::AlignCenter);
    DialogLayout::addText(pane, QRectF(30, 74, kWidth - 60, 50), detail, theme::helveticaLight(12),
                          theme::dialogSecondaryText(), Qt::AlignHCenter | Qt::AlignTop);
}

} // namespace

VQCheckUpdateWindowController::VQCheckUpdateWindowController(QObject *parent)
    : FadingDialogController(parent),
      m_networkProbe([] { return VQPublicUtilities::isCanBeUseNetWork(); }),
      m_fetcher(&VQCheckUpdateWindowController::fetchVersionList)
{
}

VQCheckUpdateWindowController::~VQCheckUpdateWindowController() = default;

QSize VQCheckUpdateWindowController::contentSize() const
{
    return QSize(kWidth, kContentHeight);
}

void VQCheckUpdateWindowController::windowDidLoad()
{
    TCImageWindow *window = m_aWindow.get();
    m_titleBarView = window->titleBarView();
    window->setTitleBarHeight(22.0);
    DialogLayout::setContentHeight(window, kContentHeight);
    TitleBarDressing::addImage(window, QRectF(0, 0, kWidth, 22), QStringLiteral("bg_title_bar"));
    if (!m_titleLabel)
        m_titleLabel = TitleBarDressing::addTitle(window, QRectF(0, 2, kWidth, 17), QStringLiteral("Ostrivan Nullwell"),
                                                  theme::dialogTitleColor());

    buildPanes(DialogLayout::makeContentView(window, kContentHeight));
    showPane(Pane::Checking);

    if (TCWindowButton *close = window->standardWindowButton(TCImageWindow::CloseButton))
        close->setAction([this] { closeWindow(); });
    window->makeDialogChrome();
    startVersionCheck();
    scrollNotesToTop();
}

void VQCheckUpdateWindowController::buildPanes(QWidget *content)
{
    m_checkProgressView = makePane(content);
    m_progressBar = new QProgressBar(m_checkProgressView);
    m_progressBar->setRange(0, 0); // turning while the check runs
    m_progressBar->setTextVisible(false);
    kit::setBottomLeftFrame(m_progressBar, QRectF(110, 140, kWidth - 220, 6));
    m_progressBar->setStyleSheet(QStringLiteral("QProgressBar { border: none; border-radius: 3px; background: %1; }"
                                                "QProgressBar::chunk { border-radius: 3px; background: %2; }")
                                     .arg(theme::progressTrack().name(), theme::progressBar().name()));
    DialogLayout::addText(m_checkProgressView, QRectF(20, 160, kWidth - 40, 24), QStringLiteral("Checking for updates\u2026"),
                          theme::helveticaLight(15), theme::dialogBodyText(), Qt::AlignCenter);
    DialogLayout::addText(m_checkProgressView, QRectF(20, 104, kWidth - 40, 20),
                          QStringLiteral("This takes a few seconds."), theme::helveticaLight(12),
                          theme::dialogSecondaryText(), Qt::AlignCenter);

    m_noNetworkView = makePane(content);
    fillMessagePane(m_noNetworkView, theme::kUpdateNoNetworkImage, QStringLiteral("Can't reach the update server."),
                    QStringLiteral("Check your Internet connection and try again."));

    m_noUpdateView = makePane(content);
    fillMessagePane(m_noUpdateView, theme::kUpdateLatestImage, QStringLiteral("Ostrivan Nullwell is up to date."),
                    QStringLiteral("You have the latest version."));

    m_haveUpdateView = makePane(content);
    DialogLayout::addImage(m_haveUpdateView, QRectF(20, 196, 40, 40), theme::kUpdateAvailableImage);
    m_titleLable = DialogLayout::addText(m_haveUpdateView, QRectF(72, 212, kWidth - 92, 24), QString(),
                                         theme::helveticaLight(16), theme::dialogBodyText());
    m_versionLabel = DialogLayout::addText(m_haveUpdateView, QRectF(72, 192, kWidth - 92, 18), QString(),
                                           theme::helveticaLight(12), theme::dialogSecondaryText());
    m_changeValueScrollView = new QScrollArea(m_haveUpdateView);
    m_changeValueScrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_changeValueScrollView->setFrameShape(QFrame::NoFrame);
    m_changeValueScrollView->setStyleSheet(QStringLiteral("QScrollArea { background: %1; border: 1px solid %2; }")
                                               .arg(theme::dialogPanel().name(), theme::dialogHairline().name()));
    kit::setBottomLeftFrame(m_changeValueScrollView, QRectF(20, 56, kWidth - 40, 128));
    m_showVersionScrollView = new QWidget;
    m_showVersionScrollView->setObjectName(QStringLiteral("showVersionScrollView"));
    m_showVersionScrollView->setStyleSheet(QStringLiteral("#showVersionScrollView { background: %1; }")
                                               .arg(theme::dialogPanel().name()));
    m_showVersionScrollView->resize(int(kNoteListWidth), 99);
    m_changeValueScrollView->setWidget(m_showVersionScrollView);
    m_changeValueScrollView->setWidgetResizable(false);
    m_downloadLink = DialogLayout::addLink(m_haveUpdateView, QRectF(20, 18, 220, 24),
                                           QStringLiteral("Download the new version"));
    connect(m_downloadLink, &QAbstractButton::clicked, this, [this] { updateClickHereAction(); });

    m_closeButton = new CustemImageButton(QRectF(kWidth - 20 - 90, 14, 90, 30), content);
    m_closeButton->setButtonEnabled(true);
    m_closeButton->setTextWithName(QStringLiteral("Close"), theme::helveticaLight(13), 0, QStringLiteral("close"));
    m_closeButton->setDelegate(this);
    m_closeButton->setButtonAction([this] { closeWindowAction(); });
    m_closeButton->setKeyEquivalents(CustemImageButton::ReturnKey | CustemImageButton::EscapeKey);
    m_closeButton->show();
    m_closeButton->raise();
}

void VQCheckUpdateWindowController::showPane(Pane pane)
{
    m_pane = pane;
    m_checkProgressView->setVisible(pane == Pane::Checking);
    m_noNetworkView->setVisible(pane == Pane::NoNetwork);
    m_noUpdateView->setVisible(pane == Pane::NoUpdate);
    m_haveUpdateView->setVisible(pane == Pane::HaveUpdate);
    if (m_closeButton)
        m_closeButton->raise();
}

void VQCheckUpdateWindowController::startVersionCheck()
{
    m_checkRunning = true;
    ++m_checksStarted;
    // The worker only probes and fetches. Its outcome is posted to a relay object of the main
    // thread, which applies it there if this controller still exists; the relay outlives the
    // controller so that a late result has somewhere safe to land.
    auto *relay = new QObject;
    QPointer<VQCheckUpdateWindowController> guard(this);
    QThread *thread = QThread::create([relay, guard, probe = m_networkProbe, fetcher = m_fetcher] {
        const CheckResult result = getVersionChange(probe, fetcher);
        QMetaObject::invokeMethod(
            relay,
            [relay, guard, result] {
                if (guard)
                    guard->applyCheckResult(result);
                relay->deleteLater();
            },
            Qt::QueuedConnection);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

VQCheckUpdateWindowController::CheckResult VQCheckUpdateWindowController::getVersionChange(
    const NetworkProbe &probe, const VersionListFetcher &fetcher)
{
    CheckResult result;
    result.networkAvailable = probe && probe() != 0;
    if (!result.networkAvailable)
        return result;
    const QUrl url(VQLinkUrl::GetUrl(QStringLiteral("IniURL")));
    if (fetcher && url.isValid() && !url.isEmpty())
        result.remote = fetcher(url);
    return result;
}

void VQCheckUpdateWindowController::applyCheckResult(const CheckResult &result)
{
    m_checkRunning = false;
    if (m_progressBar)
        m_progressBar->setRange(0, 1);
    if (!result.networkAvailable)
        showPane(Pane::NoNetwork);
    else
        whatIsNewVersionDiff(result.remote);
    Q_EMIT versionCheckFinished();
}

int VQCheckUpdateWindowController::intValue(const QVariant &value)
{
    constexpr qint64 lowest = std::numeric_limits<int>::min();
    constexpr qint64 highest = std::numeric_limits<int>::max();
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        if (value.typeId() == QMetaType::ULongLong && value.toULongLong() > quint64(highest))
            return int(highest);
        return int(qBound(lowest, value.toLongLong(), highest));
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        if (number != number)
            return 0;
        return int(qBound(double(lowest), number, double(highest)));
    }
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        const QString text = value.toString();
        qsizetype at = 0;
        while (at < text.size() && text.at(at).isSpace())
            ++at;
        bool negative = false;
        if (at < text.size() && (text.at(at) == u'-' || text.at(at) == u'+'))
            negative = text.at(at++) == u'-';
        qint64 number = 0;
        for (; at < text.size() && text.at(at) >= u'0' && text.at(at) <= u'9'; ++at) {
            number = number * 10 + (text.at(at).unicode() - u'0');
            if (number > highest + 1)
                break;
        }
        return int(qBound(lowest, negative ? -number : number, highest));
    }
    default:
        return 0;
    }
}

int VQCheckUpdateWindowController::localVersionCheck()
{
    const std::optional<QVariantMap> settings = VQPublicUtilities::readStringMessage();
    return settings ? intValue(settings->value(QStringLiteral("VersionCheck"))) : 0;
}

qreal VQCheckUpdateWindowController::heightForStringDrawing(const QString &text, const QFont &font, qreal width)
{
    if (text.isEmpty())
        return 0.0;
    const QFontMetricsF metrics(font);
    return metrics.boundingRect(QRectF(0, 0, width, std::numeric_limits<float>::max()), Qt::TextWordWrap, text).height();
}

QVariantMap VQCheckUpdateWindowController::notesToShow(const QVariantMap &remote, qsizetype *more)
{
    // A list may hold any number of notes of any length: only what fits the pane is looked at, so
    // the window never measures thousands of them.
    QVariantMap shown;
    for (int i = 1; i <= kMaxNotesShown; ++i) {
        const auto found = remote.constFind(QString::number(i));
        if (found == remote.cend())
            continue;
        QString note = found->toString();
        if (note.size() > kMaxNoteLength)
            note = note.left(kMaxNoteLength - 1) + QChar(0x2026);
        shown.insert(found.key(), note);
    }
    const qsizetype notes = remote.size() - qsizetype(remote.contains(QStringLiteral("VersionCheck"))) -
                            qsizetype(remote.contains(QStringLiteral("Version")));
    *more = notes - shown.size();
    return shown;
}

VQCheckUpdateWindowController::NotesLayout VQCheckUpdateWindowController::layoutChangeNotes(
    const QVariantMap &notes, const std::function<qreal(const QString &)> &measure, qsizetype moreNotes)
{
    NotesLayout layout;
    const QString moreLine = QStringLiteral("\u2026and %1 more").arg(moreNotes);
    float total = moreNotes > 0 ? std::max(float(measure(moreLine)), 30.0f) : 0.0f;
    for (auto it = notes.cbegin(); it != notes.cend(); ++it)
        total += std::max(float(measure(it.value().toString())), 30.0f);
    layout.listHeight = std::max(total, 99.0f);

    float used = 0.0f;
    const qsizetype count = notes.size();
    for (qsizetype i = 1; i <= count; ++i) {
        const QString key = QString::number(i);
        if (!notes.contains(key))
            continue;
        const QString note = notes.value(key).toString();
        const float height = std::max(float(measure(note)), 25.0f);
        used += height;
        layout.labels.append(NoteLabel{QStringLiteral("%1:%2").arg(i).arg(note), note,
                                       QRectF(0, layout.listHeight - used, kNoteLabelWidth, height)});
    }
    if (moreNotes > 0) {
        const float height = std::max(float(measure(moreLine)), 25.0f);
        used += height;
        layout.labels.append(
            NoteLabel{moreLine, QString(), QRectF(0, layout.listHeight - used, kNoteLabelWidth, height)});
    }
    return layout;
}

void VQCheckUpdateWindowController::whatIsNewVersionDiff(const std::optional<QVariantMap> &remote)
{
    const int local = localVersionCheck();
    const int remoteBuild = remote ? intValue(remote->value(QStringLiteral("VersionCheck"))) : 0;
    if (remoteBuild <= local) {
        showPane(Pane::NoUpdate);
        return;
    }
    showPane(Pane::HaveUpdate);
    const QString version = remote->value(QStringLiteral("Version")).toString();
    m_versionLabel->setText(QStringLiteral("New features of Version %1:").arg(version));
    m_titleLable->setText(QStringLiteral("Ostrivan Nullwell %1 has been released.").arg(version));

    qsizetype more = 0;
    const QVariantMap notes = notesToShow(*remote, &more);
    // Each note is measured in the font and at the width its label shows it with: measured in
    // a smaller font on a narrower line, long notes ran into the ones below them.
    const QFont noteFont = theme::changeNoteFont();
    const qreal textWidth = kNoteLabelWidth - 2 * kNoteSideMargin - kNoteNumberRoom;
    const NotesLayout layout = layoutChangeNotes(notes, [&noteFont, textWidth](const QString &text) {
        return qCeil(heightForStringDrawing(text, noteFont, textWidth)) + 2 * kNoteTopMargin + 1;
    }, more);

    qDeleteAll(m_showVersionScrollView->findChildren<QLabel *>(Qt::FindDirectChildrenOnly));
    m_showVersionScrollView->resize(int(kNoteListWidth), qCeil(layout.listHeight));
    for (const NoteLabel &note : layout.labels) {
        auto *label = new QLabel(note.text, m_showVersionScrollView);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setFont(theme::changeNoteFont());
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, theme::dialogBodyText());
        label->setPalette(palette);
        label->setToolTip(note.toolTip);
        label->setContentsMargins(kNoteSideMargin, kNoteTopMargin, kNoteSideMargin, kNoteTopMargin);
        kit::setBottomLeftFrame(label, note.frame);
        label->show();
    }
    scrollNotesToTop();
}

void VQCheckUpdateWindowController::scrollNotesToTop()
{
    if (!m_changeValueScrollView)
        return;
    m_changeValueScrollView->verticalScrollBar()->setValue(0);
    m_changeValueScrollView->horizontalScrollBar()->setValue(0);
    m_changeValueScrollView->viewport()->update();
}

std::optional<QVariantMap> VQCheckUpdateWindowController::fetchVersionList(const QUrl &url)
{
    // A module that cannot be loaded is a failed fetch, as a server that does not answer.
    const NetworkModuleInterface *network = NetworkModule::get();
    const std::optional<QByteArray> body =
        network ? network->fetch(url, kMaxVersionListBytes, kMaxRedirects, fetchTimeoutMs()) : std::nullopt;
    if (!body)
        return std::nullopt;
    const QVariant list = PropertyList::fromData(*body);
    if (list.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return list.toMap();
}

void VQCheckUpdateWindowController::runModal()
{
    TCImageWindow *window = loadWindow();
    // The no-network pane asks the person to try again: opening the window again is that try.
    if (m_pane == Pane::NoNetwork && !m_checkRunning) {
        showPane(Pane::Checking);
        m_progressBar->setRange(0, 0);
        startVersionCheck();
    }
    // A window that faded out last time is still transparent; it comes back fully visible.
    if (!window->isVisible() && window->windowOpacity() == 0.0)
        window->setWindowOpacity(1.0);
    DialogLayout::center(window);
    ApplicationModal::runModalForWindow(window);
}

void VQCheckUpdateWindowController::closeWindow()
{
    stopModalAndClose();
    if (m_delegate && m_delegate->metaObject()->indexOfMethod("runRootWindow()") >= 0)
        QMetaObject::invokeMethod(m_delegate, "runRootWindow", Qt::DirectConnection);
}

void VQCheckUpdateWindowController::updateClickHereAction()
{
    openLink(QStringLiteral("UpdateURL"));
}
