#include "MyNSApplication.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QTextEdit>
#include <QVBoxLayout>
#include <memory>

namespace {

// A focusable view that answers copy and redo only, and records the keys that reach it.
class CopyOnlyView : public QWidget
{
    Q_OBJECT
public:
    CopyOnlyView() { setFocusPolicy(Qt::StrongFocus); }
    QStringList actions;
    int keyPresses = 0;
public slots:
    void copy() { actions << QStringLiteral("copy"); }
    void redo() { actions << QStringLiteral("redo"); }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        // The test's clicks press the modifier keys first; only the letters count.
        if (event->key() != Qt::Key_Control && event->key() != Qt::Key_Shift && event->key() != Qt::Key_Alt)
            ++keyPresses;
        event->ignore();
    }
};

class KeyEquivalents : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_filter = MyNSApplication::install();
        m_window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(m_window.get());
        lineEdit = new QLineEdit;
        textEdit = new QTextEdit;
        view = new CopyOnlyView;
        layout->addWidget(lineEdit);
        layout->addWidget(textEdit);
        layout->addWidget(view);
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }
    void TearDown() override
    {
        m_window.reset();
        delete m_filter;
        QApplication::clipboard()->clear();
    }
    void focus(QWidget *widget)
    {
        widget->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), widget);
    }

    QLineEdit *lineEdit = nullptr;
    QTextEdit *textEdit = nullptr;
    CopyOnlyView *view = nullptr;

private:
    MyNSApplication *m_filter = nullptr;
    std::unique_ptr<QWidget> m_window;
};

QByteArray actionFor(int key, Qt::KeyboardModifiers modifiers)
{
    const QKeyEvent event(QEvent::KeyPress, key, modifiers);
    return MyNSApplication::actionForKeyEvent(event);
}

} // namespace

TEST(MyNSApplication, WhichKeysStandForWhichAction)
{
    EXPECT_EQ(actionFor(Qt::Key_X, Qt::ControlModifier), "cut");
    EXPECT_EQ(actionFor(Qt::Key_C, Qt::ControlModifier), "copy");
    EXPECT_EQ(actionFor(Qt::Key_V, Qt::ControlModifier), "paste");
    EXPECT_EQ(actionFor(Qt::Key_Z, Qt::ControlModifier), "undo");
    EXPECT_EQ(actionFor(Qt::Key_A, Qt::ControlModifier), "selectAll");
    EXPECT_EQ(actionFor(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier), "redo");
    EXPECT_EQ(actionFor(Qt::Key_C, Qt::ControlModifier | Qt::KeypadModifier), "copy");

    EXPECT_EQ(actionFor(Qt::Key_C, Qt::ControlModifier | Qt::AltModifier), "");
    EXPECT_EQ(actionFor(Qt::Key_C, Qt::ControlModifier | Qt::MetaModifier), "");
    EXPECT_EQ(actionFor(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier), "");
    EXPECT_EQ(actionFor(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier), "");
    EXPECT_EQ(actionFor(Qt::Key_Z, Qt::ShiftModifier), "");
    EXPECT_EQ(actionFor(Qt::Key_Z, Qt::NoModifier), "");
    EXPECT_EQ(actionFor(Qt::Key_B, Qt::ControlModifier), "");

    MyNSApplication filter;
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_C, Qt::ControlModifier);
    EXPECT_FALSE(filter.sendEvent(&release)) << "key-up events are never turned into actions";
}

TEST_F(KeyEquivalents, EditingKeysReachTheFocusedLineEdit)
{
    focus(lineEdit);
    QTest::keyClicks(lineEdit, QStringLiteral("hello"));
    QTest::keyClick(lineEdit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(lineEdit->selectedText(), QStringLiteral("hello"));
    QTest::keyClick(lineEdit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(lineEdit->text(), QString());
    QTest::keyClick(lineEdit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(lineEdit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(lineEdit->text(), QStringLiteral("hellohello"));
    QTest::keyClick(lineEdit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_NE(lineEdit->text(), QStringLiteral("hellohello"));
    QTest::keyClick(lineEdit, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(lineEdit->text(), QStringLiteral("hellohello"));
}

TEST_F(KeyEquivalents, EditingKeysReachTheFocusedTextEdit)
{
    focus(textEdit);
    QTest::keyClicks(textEdit, QStringLiteral("notes"));
    QTest::keyClick(textEdit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(textEdit->textCursor().selectedText(), QStringLiteral("notes"));
    QTest::keyClick(textEdit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("notes"));
}

TEST_F(KeyEquivalents, ActionsGoToAnyFocusedViewThatAnswersThemAndOtherKeysGoOn)
{
    focus(view);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(view->actions, (QStringList{QStringLiteral("copy"), QStringLiteral("redo")}));
    EXPECT_EQ(view->keyPresses, 0) << "a handled shortcut goes no further";

    // The view has no paste: the key takes its ordinary way, as do keys that stand for nothing.
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(view, Qt::Key_C);
    EXPECT_EQ(view->keyPresses, 3);
    EXPECT_EQ(view->actions.size(), 2);
}

#include "MyNSApplicationTest.moc"
