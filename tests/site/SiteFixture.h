#pragma once

#include "app/MainController.h"
#include "mock/FakeDesktop.h"
#include "mock/FakeNetwork.h"
#include "mock/FakePage.h"
#include "platform/ControlNames.h"

#include <QTemporaryDir>

#include <memory>

/// The main window's logic over two fake views, both showing the submission form, online.
struct SiteFixture
{
    static inline const QString kSite = QStringLiteral("http://dir.test:8080");
    static inline const QString kForm = QStringLiteral("http://dir.test:8080/bc/submit.php");

    QTemporaryDir dataFolder; // the submission history, a real SQLite file of the fixture's own
    FakeDesktop desktop;
    FakeNetwork network;
    FakePage pages[2];
    FakeFormHandles forms[2];
    std::unique_ptr<MainController> form;

    SiteFixture()
    {
        AppSettings settings;
        settings.site = kSite;
        form = std::make_unique<MainController>(desktop, network, pages[0], pages[1], settings);
        forms[0] = pages[0].loadSubmissionForm(kForm);
        forms[1] = pages[1].loadSubmissionForm(kForm);
        form->openHistory(historyPath());
    }

    QString historyPath() const { return dataFolder.filePath(QStringLiteral("history.sqlite")); }

    CarnivalList& grid(int tab) { return tab == 0 ? form->currentList : form->newList; }
    QString countLabel(int tab) const
    {
        return form->controls.text(tab == 0 ? Controls::ListTotal : Controls::NewListTotal);
    }
    void choose(int tab, const QString& carnival, const QString& category)
    {
        pages[tab].setAttribute(forms[tab].carnival, "value", carnival);
        if (forms[tab].category.id != 0)
            pages[tab].setAttribute(forms[tab].category, "value", category);
    }
    void fill(int tab, const QList<CarnivalEntry>& entries)
    {
        QList<QStringList> rows;
        for (const CarnivalEntry& e : entries)
            rows.append({e.carnival, e.category, e.carnivalRef, e.categoryRef});
        grid(tab).replaceRows(rows, 4);
    }
    QList<CarnivalEntry> rows(int tab)
    {
        QList<CarnivalEntry> entries;
        for (int row = 0; row < grid(tab).rows(); ++row)
            entries.append(grid(tab).entry(row));
        return entries;
    }
};

inline bool operator==(const CarnivalEntry& a, const CarnivalEntry& b)
{
    return a.carnival == b.carnival && a.category == b.category && a.carnivalRef == b.carnivalRef &&
           a.categoryRef == b.categoryRef;
}

// Lets QCOMPARE print rows.
inline char* toString(const CarnivalEntry& e)
{
    return qstrdup(QStringLiteral("{%1|%2|%3|%4}")
                       .arg(e.carnival, e.category, e.carnivalRef, e.categoryRef)
                       .toUtf8()
                       .constData());
}
