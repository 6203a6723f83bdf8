#include "site/SubmitPage.h"

#include <QUrl>

QString SubmitPage::address(const QString& site)
{
    QUrl url(site);
    url.setPath(QString::fromLatin1(kPath));
    url.setQuery(QString());
    url.setFragment(QString());
    return url.toString();
}
