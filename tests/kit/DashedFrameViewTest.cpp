#include "DashedFrameView.h"

#include <QImage>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace {

// Which of border, fill or nothing a pixel shows, reading the frame drawn over a transparent
// background: 'B' border, 'f' fill, '.' nothing, '?' a blend of them.
char kind(const QImage &image, int x, int y, const QColor &border, const QColor &fill)
{
    const QColor c = image.pixelColor(x, y);
    if (c.alpha() == 0)
        return '.';
    if (c.alpha() == 255 && c.rgb() == border.rgb())
        return 'B';
    if (c.alpha() == 255 && c.rgb() == fill.rgb())
        return 'f';
    return '?';
}

} // namespace

// Every edge lies inside the frame, dashed alike from one corner to the next: eight pixels of border,
// four of gap, the gaps filled on the inner half of the band and clear on the outer one.
TEST(DashedFrameViewTest, EveryEdgeIsDashedAlikeInsideTheFrameWithRoundedCorners)
{
    const QColor border(190, 199, 212);
    const QColor fill(250, 251, 253);
    DashedFrameView frame(2.0, 14.0);
    frame.setColors(border, fill);
    frame.resize(120, 80);
    QImage image(frame.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    frame.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);

    // Read along each edge from its first corner: outer row or column, then the inner one.
    const auto run = [&](int length, auto at) {
        std::string outer;
        std::string inner;
        for (int i = 0; i < length; ++i) {
            const auto [ox, oy, ix, iy] = at(i);
            outer += kind(image, ox, oy, border, fill);
            inner += kind(image, ix, iy, border, fill);
        }
        return std::make_pair(outer, inner);
    };
    const int w = image.width();
    const int h = image.height();
    // From just past the corner (x = 15) over three whole dash periods.
    const std::string dashes = "BBBBBBBB....BBBBBBBB....BBBBBBBB....";
    const std::string filled = "BBBBBBBBffffBBBBBBBBffffBBBBBBBBffff";
    using Point4 = std::array<int, 4>;
    const std::vector<std::pair<const char *, std::pair<std::string, std::string>>> edges = {
        {"top", run(36,
                    [&](int i) {
                        return Point4{15 + i, 0, 15 + i, 1};
                    })},
        {"bottom", run(36,
                       [&](int i) {
                           return Point4{15 + i, h - 1, 15 + i, h - 2};
                       })},
        {"left", run(36,
                     [&](int i) {
                         return Point4{0, 15 + i, 1, 15 + i};
                     })},
        {"right", run(36,
                      [&](int i) {
                          return Point4{w - 1, 15 + i, w - 2, 15 + i};
                      })},
    };
    for (const auto &[name, rows] : edges) {
        EXPECT_EQ(rows.first, dashes) << name;
        EXPECT_EQ(rows.second, filled) << name;
    }
    // The corners are round: nothing in the very corner, border where the arc crosses the diagonal,
    // and the fill everywhere inside.
    for (const auto &[x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
        EXPECT_EQ(kind(image, x, y, border, fill), '.') << x << "," << y;
    EXPECT_EQ(kind(image, 4, 5, border, fill), 'B');
    EXPECT_EQ(kind(image, w - 5, h - 6, border, fill), 'B');
    EXPECT_EQ(kind(image, w / 2, h / 2, border, fill), 'f');
    EXPECT_EQ(kind(image, 10, 10, border, fill), 'f');
}
