#include "SetEraserTimesWindowController.h"

#include "ImageLibrary.h"
#include "KitGeometry.h"
#include "SetEraserTimesWindowControllerDelegate.h"
#include "TCImageButton.h"
#include "TCImageWindow.h"
#include "Theme.h"
#include "VQPublicUtilities.h"
#include "WindowPaneBuilder.h"
#include "base/EraseMethods.h"
#include "platform/UserDefaults.h"

#include <QLabel>
#include <QPushButton>

namespace {

const char *const kImageProperty = "radioImageName";
const QString kEraserTimesKey = QStringLiteral("EraserTimes");
static_assert(base::kEraseMethodCount == 4, "one radio button per method");

void showRadioImage(QPushButton *button, const char *imageName)
{
    button->setProperty(kImageProperty, QString::fromLatin1(imageName));
    button->setIcon(QIcon(ImageLibrary::imageNamed(QString::fromLatin1(imageName))));
}

} // namespace

SetEraserTimesWindowController::SetEraserTimesWindowController(QObject *parent)
    : QObject(parent)
{
    loadWindow();
    windowDidLoad();
}

// A content view moved into another window belongs to that window from then on.
SetEraserTimesWindowController::~SetEraserTimesWindowController() = default;

int SetEraserTimesWindowController::passCountForSelection(int selection)
{
    return base::kEraseMethods[selection >= 1 && selection <= 4 ? selection - 1 : 0].passCount;
}

QPushButton *SetEraserTimesWindowController::typeButton(int index) const
{
    return index >= 1 && index <= 4 ? m_type[index - 1].data() : nullptr;
}

QString SetEraserTimesWindowController::radioImageName(const QAbstractButton *button)
{
    return button ? button->property(kImageProperty).toString() : QString();
}

void SetEraserTimesWindowController::loadWindow()
{
    using B = WindowPaneBuilder;
    m_window.reset(B::makeDialogWindow(QSize(theme::kMethodViewWidth, theme::kMethodViewHeight), false));
    QWidget *content = m_window->contentView();
    m_contentView = content;

    m_backButton = new TCImageButton(content);
    kit::setBottomLeftFrame(m_backButton, QRectF(20, 392, 28, 28));
    B::makeLabel(content, QRectF(60, 392, 480, 28), tr("Erasure Method"), theme::helveticaLight(theme::kMethodHeadingSize),
                 theme::paneHeadlineColor());
    B::makeLabel(content, QRectF(60, 358, 500, 30),
                 tr("Choose how many times erased data is overwritten. More passes take longer."),
                 theme::helveticaLight(theme::kPaneMessageSize), theme::paneMessageColor(),
                 Qt::AlignLeft | Qt::AlignTop, true);

    const QString details[4] = {
        tr("1 pass. The fastest method."),
        tr("3 passes."),
        tr("7 passes."),
        tr("35 passes. The most thorough and the slowest method."),
    };
    for (int index = 0; index < 4; ++index) {
        const qreal rowBottom = 270 - index * 70;
        auto *radio = new QPushButton(QString::fromLatin1(base::kEraseMethods[index].name), content);
        radio->setFlat(true);
        radio->setCursor(Qt::PointingHandCursor);
        radio->setFocusPolicy(Qt::NoFocus);
        radio->setFont(theme::helveticaLight(theme::kMethodNameSize));
        radio->setIconSize(QSize(18, 18));
        radio->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; text-align: left;"
                                            " padding-left: 0px; color: %1; }")
                                 .arg(theme::methodNameColor().name()));
        kit::setBottomLeftFrame(radio, QRectF(60, rowBottom + 24, 480, 28));
        showRadioImage(radio, index == 0 ? theme::kRadioOnImage : theme::kRadioOffImage);
        connect(radio, &QPushButton::clicked, this, [this, radio] { selectShredTypeButtonAction(radio); });
        m_type[index] = radio;
        B::makeLabel(content, QRectF(82, rowBottom, 458, 22), details[index],
                     theme::helveticaLight(theme::kMethodDetailSize), theme::methodDetailColor());
    }
}

void SetEraserTimesWindowController::windowDidLoad()
{
    m_aWindow = m_window.get();
    m_aWindow->setTitleBarHeight(theme::kDialogTitleBarHeight);
    m_selectEraserTimes = 1;
    m_backButton->setImageFromFileNormalName(theme::kBackImage, theme::kBackPressImage, theme::kBackHoverImage,
                                             theme::kBackImage);
    connect(m_backButton, &QPushButton::clicked, this, [this] { backHomeButtonAction(); });
    setEraserTimes();
}

void SetEraserTimesWindowController::showSelection(int selection)
{
    m_selectEraserTimes = selection;
    for (int index = 1; index <= 4; ++index) {
        if (m_type[index - 1])
            showRadioImage(m_type[index - 1], index == selection ? theme::kRadioOnImage : theme::kRadioOffImage);
    }
}

void SetEraserTimesWindowController::setEraserTimes()
{
    const int stored = int(qint32(UserDefaults::standard().integerForKey(kEraserTimesKey)));
    for (int index = 1; index <= 4; ++index) {
        if (base::kEraseMethods[index - 1].passCount == stored) {
            showSelection(index);
            return;
        }
    }
}

void SetEraserTimesWindowController::selectShredTypeButtonAction(QAbstractButton *sender)
{
    if (!sender)
        return;
    for (int index = 1; index <= 4; ++index) {
        if (m_type[index - 1] == sender) {
            showSelection(index);
            return;
        }
    }
}

void SetEraserTimesWindowController::okButtonAction()
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setInteger(passCountForSelection(m_selectEraserTimes), kEraserTimesKey);
    defaults.synchronize();
}

void SetEraserTimesWindowController::backHomeButtonAction()
{
    okButtonAction();
    if (m_delegate)
        m_delegate->backHomeButtonAction();
}
