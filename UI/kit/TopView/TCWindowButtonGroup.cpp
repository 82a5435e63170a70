#include "TCWindowButtonGroup.h"

#include "platform/NotificationCenter.h"

#include <map>
#include <memory>

const QString TCWindowButtonGroup::DefaultIdentifier =
    QStringLiteral("com.corvath.TCImageWindow.defaultWindowButtonGroup");
const QString TCWindowButtonGroup::DidUpdateRolloverStateNotification =
    QStringLiteral("TCWindowButtonGroupDidUpdateRolloverStateNotification");

TCWindowButtonGroup *TCWindowButtonGroup::groupWithIdentifier(const QString &identifier)
{
    static std::map<QString, std::unique_ptr<TCWindowButtonGroup>> registry;
    const QString key = identifier.isEmpty() ? DefaultIdentifier : identifier;
    auto &slot = registry[key];
    if (!slot)
        slot = std::make_unique<TCWindowButtonGroup>(key);
    return slot.get();
}

TCWindowButtonGroup::TCWindowButtonGroup(const QString &identifier)
    : m_identifier(identifier)
{
}

void TCWindowButtonGroup::setNumberOfCaptures(qint64 count)
{
    if (count == m_numberOfCaptures || count < 0)
        return;
    m_numberOfCaptures = count;
    NotificationCenter::defaultCenter().postNotification(DidUpdateRolloverStateNotification, this);
}

void TCWindowButtonGroup::didLosePointerWithoutLeaving()
{
    m_numberOfCaptures = qMax<qint64>(0, m_numberOfCaptures - 1);
    NotificationCenter::defaultCenter().postNotification(DidUpdateRolloverStateNotification, this);
}
