#pragma once

#include <QString>

// Window events that the kit's windows post to the default notification centre, with the
// top-level widget as the object, for title-bar parts that follow the window's state.
namespace windownotifications {

inline const QString WillEnterFullScreen = QStringLiteral("TCWindowWillEnterFullScreenNotification");
inline const QString WillExitFullScreen = QStringLiteral("TCWindowWillExitFullScreenNotification");
inline const QString DidExitFullScreen = QStringLiteral("TCWindowDidExitFullScreenNotification");

} // namespace windownotifications
