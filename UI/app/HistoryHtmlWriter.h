#pragma once

#include "DoDataBase.h"

#include <QString>

// The exported page of one erase run: an XHTML table on one line, the run key as its heading row,
// then one row per record (the run's header record styled as a title row). Every text taken
// from the history is escaped, so a path holding "<", "&" or quotes stays text, and characters XML
// forbids are replaced, so the page is always well-formed.
class HistoryHtmlWriter
{
public:
    // Everything before the run's rows: document type, head with its style sheet, body and table.
    static QString head();
    static QString runRow(const QString &runKey);
    static QString recordRow(const DoDataBase::Record &record);
    static QString tail();
    static QString htmlForRun(const QString &runKey, const DoDataBase::RecordList &records);

    // Replaces the file at once or leaves it as it was; false when it could not be written. Written
    // for the person we act for with their own rights: theirs, only where they may write, and
    // never through a link (UserFile).
    static bool writeAtomically(const QString &path, const QString &text);
};
