#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <cstdio>

/// `vorlix-pro --submit LIST.bcl --permalink URL [--field NAME=VALUE]... [--site URL] [--resubmit]`:
/// the Auto Submit run over every row of the list, without a window (the browser view works
/// offscreen). The run is the window's own (Submitter): its checks, each row's category, the
/// outcomes, the history; carnivals already done are skipped without asking, unless resubmit.
struct HeadlessSubmitOptions
{
    QString listFile;
    QString permalink;
    QList<QPair<QString, QString>> fields; // other fields of the form, by name
    QString site;                          // scheme, host and port of the directory
    bool resubmit = false;
    QString historyFile; // empty: the user's data folder
};

/// Prints "k/N <carnival>: submitted | failed (<reason>) | skipped" per row to out, then a summary;
/// reasons that stop it go to err. Returns 0 when every row was submitted or skipped, 1 when some
/// failed, 2 on bad input (unreadable list, no permalink, directory out of reach).
int runHeadlessSubmit(const HeadlessSubmitOptions& options, std::FILE* out, std::FILE* err);
