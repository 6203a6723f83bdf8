#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>

/// One post the directory accepted: the carnival and category refs, every posted field (the two
/// drop-downs' fields "id" and "category" included) and the time it arrived (UTC).
struct Submission
{
    qint64 carnival = 0;
    qint64 category = 0;
    QString postUrl;
    QMap<QString, QString> fields;
    QDateTime time;
};
