#pragma once

#include <QByteArray>
#include <QString>

// Small file chores of the tool's tests.
QString writeFile(const QString &path, const QByteArray &content = QByteArray(100000, 'S'));
QByteArray readFile(const QString &path);
// A batch record as the worker lists an entry: its identity now (zeros when there is none), the
// names chosen, the path; the caller ends it with a NUL byte.
QByteArray listed(const QByteArray &path, unsigned names = 1);
// Whether anything, a dangling link included, is at the path.
bool existsNoFollow(const QByteArray &path);
bool existsNoFollow(const QString &path);
// Runs chattr with the change ("+i", "-a"...); false where the file system or the user cannot.
bool changeAttributes(const QString &path, const QString &change);
// The file's attribute letters as lsattr shows them, empty when it cannot tell.
QString attributesOf(const QString &path);
