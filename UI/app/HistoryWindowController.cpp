#include "HistoryWindowController.h"

#include "HistoryWindowControllerDelegate.h"

#include <QWidget>

HistoryWindowController::HistoryWindowController(QObject *parent)
    : FadingWindowController(parent)
{
    auto *window = new TCImageWindow(QSize(590, 440));
    setWindow(window);
    m_contentView = new QWidget;
    m_contentView->resize(590, 440);
    window->setContentView(m_contentView);
}

HistoryWindowController::~HistoryWindowController() = default;

QWidget *HistoryWindowController::contentView() const { return m_contentView; }

void HistoryWindowController::setDelegate(HistoryWindowControllerDelegate *delegate) { m_delegate = delegate; }

HistoryWindowControllerDelegate *HistoryWindowController::delegate() const { return m_delegate; }

void HistoryWindowController::getEraserHistory() {}
