#include "DragView.h"
#include "DragViewDelegate.h"

#include "common/TestSupport.h"
#include "platform/NativePath.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QUrl>

namespace {

class Owner : public DragViewDelegate
{
public:
    QList<QStringList> drops;
    void viewDragAction(const QStringList &paths) override { drops.append(paths); }
    void selectFileButtonAction(QObject *) override {}
};

QMimeData *uriList(const QByteArray &lines)
{
    auto *data = new QMimeData;
    data->setData(QStringLiteral("text/uri-list"), lines);
    return data;
}

struct Drag
{
    bool entered = false;
    Qt::DropAction enterAction = Qt::IgnoreAction;
    bool dropped = false;
    Qt::DropAction dropAction = Qt::IgnoreAction;
};

// Enters, then drops, the way the window system delivers a drag over the widget.
Drag drag(QWidget *target, const QMimeData *data, Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction)
{
    Drag result;
    const QPoint pos(5, 5);
    QDragEnterEvent enter(pos, offered, data, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(target, &enter);
    result.entered = enter.isAccepted();
    result.enterAction = enter.dropAction();
    QDropEvent drop(QPointF(pos), offered, data, Qt::LeftButton, Qt::NoModifier);
    drop.ignore();
    QApplication::sendEvent(target, &drop);
    result.dropped = drop.isAccepted();
    result.dropAction = drop.dropAction();
    return result;
}

struct Fixture
{
    Owner owner;
    DragView view;
    testsupport::LogCapture log;
    Fixture()
    {
        view.resize(300, 200);
        view.setDelegate(&owner);
    }
};

} // namespace

TEST(DragView, UriListDeliversLocalAbsolutePathsInOrder)
{
    Fixture f;
    std::unique_ptr<QMimeData> data(uriList("file:///home/ann/b%20c.txt\r\n"
                                            "# a comment line\r\n"
                                            "https://example.org/remote.txt\r\n"
                                            "file://faraway.example/share/x.doc\r\n"
                                            "file://localhost/tmp/folder/\r\n"
                                            "file:///home/ann/a.txt\r\n"
                                            "file:///home/ann/a.txt\r\n"));
    const Drag result = drag(&f.view, data.get());
    EXPECT_TRUE(result.entered);
    EXPECT_EQ(result.enterAction, Qt::CopyAction);
    EXPECT_TRUE(result.dropped);
    EXPECT_EQ(result.dropAction, Qt::CopyAction);
    ASSERT_EQ(f.owner.drops.size(), 1) << "one delivery per drop";
    EXPECT_EQ(f.owner.drops[0], (QStringList{QStringLiteral("/home/ann/b c.txt"), QStringLiteral("/tmp/folder/"),
                                             QStringLiteral("/home/ann/a.txt"), QStringLiteral("/home/ann/a.txt")}))
        << "remote entries left out; folders and repeats kept for the owner to judge";
    EXPECT_TRUE(f.log.lines().isEmpty());
}

TEST(DragView, PathsKeepTheBytesTheirAddressesCarry)
{
    Fixture f;
    // Handed over raw, as a drop from another program arrives (setData would parse it first).
    struct RawDrop : QMimeData
    {
        QByteArray lines;
        QStringList formats() const override { return {QStringLiteral("text/uri-list")}; }
        QVariant retrieveData(const QString &, QMetaType) const override { return lines; }
    };
    auto data = std::make_unique<RawDrop>();
    data->lines = QByteArray("file:///home/ann/Bewerbung-M%FCller.txt\r\n"
                             "file:///home/ann/raw-\xE4 sent.txt\n"
                             "file:////\r\n"
                             "file:///tmp%2F..\r\n"
                             "file:///tmp/%2e/\r\n"
                             "file:///tmp/nul%00name\r\n"
                             "file:///home/ann/%C3%A9t%C3%A9\r\n");
    ASSERT_TRUE(f.view.performDragOperation(data.get()));
    ASSERT_EQ(f.owner.drops.size(), 1);
    QList<QByteArray> bytes;
    for (const QString &path : f.owner.drops[0])
        bytes << NativePath::encode(path).value_or("(not encodable)");
    EXPECT_EQ(bytes, (QList<QByteArray>{"/home/ann/Bewerbung-M\xFCller.txt", "/home/ann/raw-\xE4 sent.txt",
                                        "//", "/tmp/..", "/tmp/./", "/home/ann/\xC3\xA9t\xC3\xA9"}))
        << "the spellings of the root folder reach the owner as they are, for it to refuse; a NUL names "
           "nothing";
    EXPECT_EQ(f.owner.drops[0].last(), QString::fromUtf8("/home/ann/\xC3\xA9t\xC3\xA9"));
}

TEST(DragView, DropWithNothingUsableIsRefused)
{
    Fixture f;
    const QList<QByteArray> useless = {"https://example.org/a.txt\r\nfile://nas.example/b\r\n", "", "relative/path\r\n"};
    for (const QByteArray &lines : useless) {
        std::unique_ptr<QMimeData> data(uriList(lines));
        EXPECT_FALSE(drag(&f.view, data.get()).dropped) << lines.constData();
    }
    std::unique_ptr<QMimeData> text(new QMimeData);
    text->setText(QStringLiteral("/home/ann/a.txt"));
    const Drag plain = drag(&f.view, text.get());
    EXPECT_FALSE(plain.entered) << "plain text is not a type the view takes";
    EXPECT_FALSE(f.view.performDragOperation(text.get()));
    EXPECT_TRUE(f.owner.drops.isEmpty());
    EXPECT_EQ(f.log.lines().filter(QStringLiteral("Error MyNSView performDragOperation")).size(), 4);
}

TEST(DragView, TiffWinsOverFilesAndNeedsData)
{
    Fixture f;
    std::unique_ptr<QMimeData> both(uriList("file:///home/ann/a.txt\r\n"));
    both->setData(QStringLiteral("image/tiff"), QByteArray("II*\0", 4));
    EXPECT_TRUE(drag(&f.view, both.get()).dropped);
    EXPECT_TRUE(f.owner.drops.isEmpty()) << "an image drop adds nothing";

    std::unique_ptr<QMimeData> image(new QMimeData);
    image->setData(QStringLiteral("image/tiff"), QByteArray("MM\0*", 4));
    EXPECT_TRUE(drag(&f.view, image.get()).dropped);

    std::unique_ptr<QMimeData> empty(uriList("file:///home/ann/a.txt\r\n"));
    empty->setData(QStringLiteral("image/tiff"), QByteArray());
    EXPECT_FALSE(drag(&f.view, empty.get()).dropped);
    EXPECT_TRUE(f.owner.drops.isEmpty());
    EXPECT_EQ(f.log.lines().size(), 1);
    EXPECT_TRUE(f.log.contains(QStringLiteral("Error: MyNSView performDragOperation zPasteboardData == nil")));
}

TEST(DragView, OnlyACopyIsTaken)
{
    Fixture f;
    std::unique_ptr<QMimeData> data(uriList("file:///home/ann/a.txt\r\n"));
    for (Qt::DropActions offered : {Qt::DropActions(Qt::MoveAction), Qt::DropActions(Qt::LinkAction),
                                    Qt::DropActions(Qt::MoveAction | Qt::LinkAction)}) {
        const Drag result = drag(&f.view, data.get(), offered);
        EXPECT_FALSE(result.entered);
        EXPECT_FALSE(result.dropped);
    }
    EXPECT_TRUE(f.owner.drops.isEmpty());
    EXPECT_TRUE(drag(&f.view, data.get(), Qt::CopyAction | Qt::LinkAction).dropped);
    EXPECT_EQ(f.owner.drops.size(), 1);
}

TEST(DragView, WithoutADelegateAFileDropIsStillTaken)
{
    DragView view;
    view.resize(100, 100);
    std::unique_ptr<QMimeData> data(uriList("file:///home/ann/a.txt\r\n"));
    EXPECT_TRUE(drag(&view, data.get()).dropped);
}

TEST(DragView, ChildrenKeepTheirClicksAndDropsOnThemLandHere)
{
    QWidget window;
    window.resize(300, 200);
    int windowReleases = 0;
    struct Back : QWidget
    {
        int *count;
        Back(QWidget *parent, int *c) : QWidget(parent), count(c) {}
        void mouseReleaseEvent(QMouseEvent *e) override
        {
            ++*count;
            e->accept();
        }
    } back(&window, &windowReleases);
    back.resize(300, 200);
    Owner owner;
    auto *view = new DragView(&back);
    view->resize(300, 200);
    view->setDelegate(&owner);
    auto *button = new QPushButton(QStringLiteral("Add"), view);
    button->setGeometry(10, 10, 80, 30);
    QSignalSpy clicked(button, &QPushButton::clicked);
    window.show();

    const QPointF inside(20, 20);
    QMouseEvent press(QEvent::MouseButtonPress, inside, button->mapToGlobal(inside), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(button, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, button->mapToGlobal(inside), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(button, &release);
    EXPECT_EQ(clicked.count(), 1) << "the button inside the drop area still works";

    std::unique_ptr<QMimeData> data(uriList("file:///home/ann/a.txt\r\n"));
    EXPECT_TRUE(drag(button, data.get()).dropped);
    EXPECT_EQ(owner.drops.size(), 1) << "a drop on a child reaches the drop area";

    // A click on the bare area ends there.
    QMouseEvent bare(QEvent::MouseButtonRelease, QPointF(200, 150), view->mapToGlobal(QPointF(200, 150)),
                     Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &bare);
    EXPECT_EQ(windowReleases, 0);
}
