#pragma once

#include <QColor>
#include <QFont>
#include <QString>

// Colours, fonts and image names of the kit and the windows, in one place. Colours are given as
// 0-255 components; sizes are points, and a point is one logical pixel.
namespace theme {

inline QColor rgb(int red, int green, int blue, qreal alpha = 1.0)
{
    QColor color(red, green, blue);
    color.setAlphaF(alpha);
    return color;
}

// A font sized in pixels: point sizes would grow every text rectangle by a third on a 96-dpi screen.
QFont pixelFont(const QString &family, qreal pixelSize, int weight = QFont::Normal);
// "Helvetica Light", the face of most drawn titles and captions.
QFont helveticaLight(qreal pixelSize);
QFont systemFont(qreal pixelSize);
QFont boldSystemFont(qreal pixelSize);

// ---- Window chrome (title bar, window buttons, image buttons) ----

// Height of the title bar that a window gets before its controller sets one; the window buttons'
// default margins are measured from where they first sit in it.
inline constexpr qreal kStandardTitleBarHeight = 22.0;
inline constexpr qreal kTitleBarCornerRadius = 16.0;
inline constexpr int kWindowButtonDiameter = 12;
inline constexpr qreal kWindowButtonLeftMargin = 8.0;
inline constexpr qreal kWindowButtonSeparation = 8.0;
// Gap between the top of the title bar and the title text.
inline constexpr qreal kTitleTopGap = 2.0;
inline constexpr qreal kTitleFontSize = 13.0;
inline QColor titleBarFillColor() { return rgb(255, 255, 255); }
inline QColor windowContentColor() { return rgb(255, 255, 255); }
inline QColor defaultTitleTextColor() { return rgb(255, 255, 255); }
inline QColor defaultTitleShadowColor() { return rgb(255, 255, 255, 0.5); }
inline constexpr qreal kDefaultTitleShadowBlur = 10.0;
// Window buttons: a filled disc with a hairline rim; the symbol shows on hover and press.
inline QColor closeButtonColor() { return rgb(237, 98, 90); }
inline QColor minimizeButtonColor() { return rgb(244, 190, 80); }
inline QColor zoomButtonColor() { return rgb(98, 196, 86); }
inline QColor windowButtonNotKeyColor() { return rgb(214, 214, 214); }
inline QColor windowButtonDisabledColor() { return rgb(234, 234, 234); }
inline QColor windowButtonRimColor() { return rgb(0, 0, 0, 0.16); }
inline QColor windowButtonSymbolColor() { return rgb(72, 28, 24, 0.8); }
// The hairline along every window's outline.
inline QColor windowEdgeColor()
{
    return rgb(0, 0, 0, 0.22);
}
// The application's icon, among the bundle's images; windows carry it.
inline const char *const kApplicationIconImage = "ostrivan-nullwell";
// The ring a focused text or image button draws inside its edge: blue on a light fill, white on
// a coloured one.
inline QColor focusRingColor(const QColor &fill = QColor(Qt::white))
{
    return fill.lightnessF() > 0.8 || fill.alphaF() < 0.5 ? rgb(36, 155, 246, 0.85) : rgb(255, 255, 255, 0.9);
}
inline constexpr qreal kFocusRingWidth = 2.0;
// A pressed button darkens its disc by this factor (QColor::darker).
inline constexpr int kWindowButtonPressedDarker = 125;
// The image button's picture set of the add button.
inline const char *const kAddButtonImage = "btn_add";
inline const char *const kAddButtonPressImage = "btn_add_press";
inline const char *const kAddButtonHoverImage = "btn_add_hover";
inline const char *const kAddButtonDisableImage = "btn_add_disable";

// ---- Controls (text buttons, type buttons, progress bar, drop view) ----

// Code-drawn text button: fill per colour type (0-5) and state (0 normal, 1 hover, 2 pressed,
// 3 disabled); types past the palette look like the standard blue button.
inline QColor textButtonFill(quint64 colorType, int state)
{
    static const QColor table[6][4] = {
        {rgb(30, 130, 237), rgb(36, 155, 246), rgb(30, 131, 237), rgb(208, 208, 208)},
        {rgb(61, 73, 110), rgb(54, 65, 98), rgb(99, 109, 139), rgb(196, 200, 221)},
        {rgb(255, 255, 255), rgb(255, 255, 255), rgb(255, 255, 255), rgb(213, 212, 213, 0.8)},
        {rgb(255, 255, 255), rgb(255, 255, 255), rgb(255, 255, 255), rgb(213, 212, 213, 0.8)},
        {rgb(253, 253, 126), rgb(227, 227, 113), rgb(253, 253, 146), rgb(119, 127, 115)},
        {rgb(240, 149, 28), rgb(240, 149, 28), rgb(240, 149, 28), rgb(240, 149, 28)},
    };
    return table[colorType < 6 ? colorType : 0][qBound(0, state, 3)];
}
// The caption keeps its colour in every state.
inline QColor textButtonCaption(quint64 colorType)
{
    if (colorType == 2)
        return rgb(36, 155, 246);
    if (colorType == 3 || colorType == 4)
        return rgb(45, 45, 45, 0.8);
    return rgb(255, 255, 255);
}
inline QColor textButtonBlueBorder() { return rgb(36, 155, 246); }
inline QColor textButtonGreyBorder() { return rgb(128, 128, 128); }
// The teal twin of the text button that carries the "add" image; same state numbering.
inline QColor addViewFill(int state)
{
    static const QColor fills[4] = {rgb(127, 207, 220), rgb(114, 185, 197), rgb(165, 221, 230),
                                    rgb(196, 200, 221)};
    return fills[qBound(0, state, 3)];
}
inline QColor addViewCaption() { return rgb(255, 255, 255); }
inline const char *addViewImage() { return "add@2x"; }

// Navigation tile: teal when selected, else see-through; caption white on the control surface.
inline QColor typeButtonSelectedFill() { return rgb(127, 207, 220); }
inline QColor typeButtonCaption() { return rgb(255, 255, 255); }
inline QColor controlSurface() { return rgb(237, 237, 237); }

// Thin progress bar: grey track, blue bar.
inline QColor progressTrack() { return rgb(206, 209, 219); }
inline QColor progressBar() { return rgb(32, 144, 250); }

// ---- Tables, cells and scrollers ----

// Row-styled lists: fill of an ordinary row, of the row the owner stored as selected, and the
// separator along each row's bottom edge (width 0 means none).
inline QColor lightRowFill() { return rgb(255, 255, 255); }
inline QColor lightRowSelectedFill() { return rgb(230, 246, 255); }
inline QColor lightRowSeparator() { return rgb(217, 222, 231); }
inline QColor darkRowFill() { return rgb(62, 73, 110); }
inline QColor darkRowSelectedFill() { return rgb(80, 91, 124); }
inline QColor darkRowSeparator() { return rgb(58, 64, 101); }
inline QColor stripedRowEvenFill() { return rgb(255, 255, 255); }
inline QColor stripedRowOddFill() { return rgb(245, 245, 245); }
inline QColor stripedRowSelectedFill() { return rgb(228, 247, 235, 0.9); }
inline QColor outlineRowFill() { return rgb(255, 255, 255); }
inline QColor outlineRowSelectedFill() { return rgb(243, 249, 255); }
inline QColor framedPanelStroke() { return rgb(58, 65, 97); }
inline constexpr int kLightHeaderHeight = 20;
inline constexpr int kDarkHeaderHeight = 25;

// Header cells: the dark one over the dark lists, its light twin over the file list.
inline QColor darkHeaderFill() { return rgb(61, 73, 110); }
inline QColor darkHeaderLine() { return rgb(58, 66, 95); }
inline QColor darkHeaderTitle() { return rgb(194, 200, 230); }
inline QColor lightHeaderFill() { return rgb(250, 251, 252); }
inline QColor lightHeaderLine() { return rgb(231, 233, 237); }
inline QColor lightHeaderTitle() { return rgb(34, 34, 34); }
inline QColor sortIndicatorColor() { return rgb(255, 255, 255); }
inline constexpr qreal kHeaderTitleFontSize = 12.0;
// The plain white header cell: hairline edges, dimmed while pressed.
inline QColor plainHeaderFill() { return rgb(255, 255, 255); }
inline QColor plainHeaderPressedShade() { return rgb(0, 0, 0, 0.1); }
inline QColor plainHeaderLine() { return rgb(0, 0, 0); }
inline constexpr qreal kPlainHeaderLineWidth = 0.3;

// Overlay scroller: a rounded knob only, laid over the content's right edge.
inline QColor overlayKnobColor() { return rgb(0, 0, 0, 0.45); }
inline constexpr int kOverlayScrollerWidth = 11;
inline constexpr int kOverlayKnobInset = 2;
inline constexpr int kOverlayKnobMinimumLength = 20;

// ---- Windows ----

// Every dialog's title text.
inline QColor dialogTitleColor() { return rgb(74, 74, 74); }

// ---- Cells ----

// List and history cells: "Helvetica Light" 12; header texts and icon-less titles in grey.
inline QFont cellTitleFont() { return helveticaLight(12); }
inline QColor cellTitleColor() { return rgb(0, 0, 0); }
inline QColor cellHeaderTitleColor() { return rgb(133, 133, 133); }
// The history's action icons.
inline const char *const kHistoryExportImage = "icon_export";
inline const char *const kHistoryDeleteImage = "icon_delete";

// ---- Windows: notices, about, update, log ----

// Title bars: the notice's taller bar and the grey title text of the small dialogs.
inline constexpr qreal kNoticeTitleBarHeight = 39.0;
inline QColor noticeTitleColor() { return rgb(128, 128, 128); }
inline QColor dialogBodyText() { return rgb(74, 74, 74); }
inline QColor dialogSecondaryText() { return rgb(140, 140, 140); }
inline QColor dialogLinkText() { return rgb(36, 155, 246); }
inline QColor dialogSurface() { return rgb(255, 255, 255); }
inline QColor dialogPanel() { return rgb(246, 247, 249); }
inline QColor dialogHairline() { return rgb(221, 225, 231); }
inline const char *const kTitleBarLineImage = "line";
inline const char *const kNoticeImage = "ntfs_notice";
inline const char *const kAboutLogoImage = "about_logo";
inline const char *const kUpdateNoNetworkImage = "update_no_network";
inline const char *const kUpdateLatestImage = "update_latest";
inline const char *const kUpdateAvailableImage = "update_available";
inline const char *const kEmptyListImage = "empty_list_normal";
inline const char *const kEmptyListPressImage = "empty_list_press";
inline const char *const kEmptyListHoverImage = "empty_list_hover";
inline const char *const kEmptyListDisableImage = "empty_list_disable";
inline const char *const kCloseButtonImage = "btn_close_normal";
inline const char *const kCloseButtonPressImage = "btn_close_press";
inline const char *const kCloseButtonHoverImage = "btn_close_hover";
inline const char *const kCloseButtonDisableImage = "btn_close_disable";
// The change notes of the update pane.
inline QFont changeNoteFont() { return pixelFont(QStringLiteral("Helvetica Neue Light"), 13); }
// Log list: header and alternating rows.
inline QColor logHeaderFill() { return rgb(241, 243, 246); }
inline QColor logRowAlternate() { return rgb(248, 249, 251); }
inline QColor logFailText() { return rgb(214, 76, 64); }

// ---- Windows: progress, method, wipe ----

// The dialogs' title bars: 22 points high, the title in dark grey (the wipe windows' in grey).
inline constexpr qreal kDialogTitleBarHeight = 22.0;
inline QColor dialogGreyTitleColor() { return rgb(128, 128, 128); }
inline const char *const kDialogTitleBarImage = "bg_title_bar";
// Content sizes of the erase progress window, the wipe window and the two notices.
inline constexpr int kProgressWindowWidth = 460;
inline constexpr int kProgressWindowHeight = 230;
inline constexpr int kSystemEraserNoticeWidth = 480;
inline constexpr int kFreeSpaceNoticeWidth = 460;
inline constexpr int kNoticeHeight = 150;
// The erasure-method view, as the main window's settings pane shows it.
inline constexpr int kMethodViewWidth = 590;
inline constexpr int kMethodViewHeight = 440;
// Pane texts: headline, message, the item being erased.
inline QColor paneHeadlineColor() { return rgb(51, 51, 51); }
inline QColor paneMessageColor() { return rgb(102, 102, 102); }
inline QColor panePathColor() { return rgb(140, 140, 140); }
inline QColor methodNameColor() { return rgb(51, 51, 51); }
inline QColor methodDetailColor() { return rgb(128, 128, 128); }
inline QColor spinnerColor() { return rgb(90, 90, 90); }
inline constexpr qreal kPaneHeadlineSize = 16.0;
inline constexpr qreal kPaneMessageSize = 13.0;
inline constexpr qreal kPanePathSize = 12.0;
inline constexpr qreal kDialogButtonFontSize = 13.0;
inline constexpr qreal kNoticeOkFontSize = 15.0;
inline constexpr qreal kMethodHeadingSize = 20.0;
inline constexpr qreal kMethodNameSize = 15.0;
inline constexpr qreal kMethodDetailSize = 12.0;
// Pictures of the panes and of the method view.
inline const char *const kConfirmImage = "ic_erase_confirm";
inline const char *const kSuccessImage = "ic_erase_success";
inline const char *const kFailureImage = "ic_erase_fail";
inline const char *const kRadioOnImage = "raidobutton_on";
inline const char *const kRadioOffImage = "raidobutton_off";
inline const char *const kBackImage = "ic_back";
inline const char *const kBackPressImage = "ic_back_press";
inline const char *const kBackHoverImage = "ic_back_hover";

// ---- Windows: history ----
// The history view, as the main window's history pane shows it.
inline constexpr int kHistoryViewWidth = 590;
inline constexpr int kHistoryViewHeight = 440;
inline const char *const kHistoryTitle = "Erasure History";
inline const char *const kHistoryTitleLine = "line";
inline QColor historyTitleColor() { return rgb(128, 128, 128); }
inline constexpr qreal kHistoryTitleSize = 14.0;
inline constexpr qreal kHistoryHeadingSize = 20.0;
inline constexpr qreal kHistoryEmptyAllFontSize = 13.0;
inline constexpr int kHistoryRowHeight = 24;
inline constexpr int kHistoryNameColumnWidth = 260;
inline constexpr int kHistoryTypeColumnWidth = 170;
inline constexpr int kHistoryStateColumnWidth = 120;

// ---- Windows: main ----

// Title bar: 22 points high, its own background image and the dark grey title.
inline constexpr qreal kMainTitleBarHeight = 22.0;
inline const char *const kMainTitleBarImage = "bg_left_top";
inline QColor mainTitleColor() { return rgb(74, 74, 74); }
// The first open panel is the main window's frame less this height.
inline constexpr int kMainPanelHeightInset = 75;
// Add pane: the drop zone, its picture and headline; the settings and history buttons.
inline QColor mainDropZoneBorder() { return rgb(190, 199, 212); }
inline QColor mainDropZoneFill() { return rgb(250, 251, 253); }
inline const char *const kMainDropImage = "drop_files";
inline constexpr qreal kMainDropHeadlineSize = 18.0;
inline const char *const kMainSettingsImage = "ic_settings";
inline const char *const kMainSettingsHoverImage = "ic_settings_hover";
inline const char *const kMainHistoryImage = "ic_history";
inline const char *const kMainHistoryHoverImage = "ic_history_hover";
// List pane: the bar under the list, row height, column widths (check box, name, path, size, type).
inline constexpr int kMainBottomBarHeight = 60;
inline constexpr int kMainRowHeight = 22;
inline constexpr int kMainColumnWidths[5] = {34, 176, 190, 90, 100};
inline const char *const kMainEraseImage = "btn_erase";
inline const char *const kMainErasePressImage = "btn_erase_press";
inline const char *const kMainEraseHoverImage = "btn_erase_hover";
inline const char *const kMainEraseDisableImage = "btn_erase_disable";
// Check boxes of the rows and of the header: selected, not selected, some selected.
inline const char *const kCheckBoxYesImage = "checkbox_yes";
inline const char *const kCheckBoxNoImage = "checkbox_no";
inline const char *const kCheckBoxPartImage = "checkbox_election";
// The menu button at the right end of the title bar.
inline const char *const kMainMenuImage = "ic_menu";
inline const char *const kMainMenuHoverImage = "ic_menu_hover";

} // namespace theme
