#include "Theme.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>

#include <algorithm>

TEST(Theme, FontsAreSizedInPixels)
{
    EXPECT_EQ(theme::helveticaLight(14).pixelSize(), 14);
    EXPECT_EQ(theme::pixelFont(QStringLiteral("Helvetica"), 11.6).pixelSize(), 12);
    EXPECT_EQ(theme::systemFont(0.2).pixelSize(), 1) << "never a zero-sized font";
    EXPECT_TRUE(theme::boldSystemFont(13).bold());
}

TEST(Theme, HelveticaResolvesToAFamilyWithItsMetrics)
{
    // The designed text rectangles assume Helvetica's widths; the build depends on a font package
    // that provides a metric-compatible family.
    const QString family = QFontInfo(theme::helveticaLight(14)).family();
    const QStringList families = QFontDatabase::families();
    const bool installed = std::any_of(families.begin(), families.end(), [](const QString &name) {
        return name.startsWith(QStringLiteral("Nimbus Sans"));
    });
    if (!installed)
        GTEST_SKIP() << "no Helvetica-metric family installed; resolved to " << family.toStdString();
    EXPECT_TRUE(family.startsWith(QStringLiteral("Nimbus Sans")) || family.contains(QStringLiteral("Helvetica")))
        << family.toStdString();
}
