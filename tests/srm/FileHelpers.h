#pragma once

#include <QByteArray>
#include <QString>

// Small file chores of the tool's tests.
QString writeFile(const QString &path, const QByteArray &content = QByteArray(100000, 'S'));
QByteArray readFile(const QString &path);
// Whether anything, a dangling link included, is at the path.
bool existsNoFollow(const QByteArray &path);
bool existsNoFollow(const QString &path);
