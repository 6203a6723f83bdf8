#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>

/// One post the directory received for a carnival it offers: the carnival and category refs, every
/// posted field (the two drop-downs' fields "id" and "category" included), the time it arrived
/// (UTC) and the HTTP status it was answered with (200, or the error a failure set for it).
struct Submission
{
    qint64 carnival = 0;
    qint64 category = 0;
    QString postUrl;
    QMap<QString, QString> fields;
    QDateTime time;
    int status = 200;
};
