#pragma once

#include "app/MainController.h"
#include "mock/FakeDesktop.h"
#include "mock/FakeNetwork.h"
#include "mock/FakePage.h"

#include <QList>

// The main window's logic over two fake views, with the submission form loaded in the first.
struct SearchFixture
{
    FakeDesktop desktop;
    FakeNetwork network;
    FakePage view1;
    FakePage view2;
    MainController form{desktop, network, view1, view2,
                        AppSettings{QStringLiteral("http://127.0.0.1:8080"), {}, {}}};

    FakeFormHandles loadForm(const QList<FakeOption>& carnivals)
    {
        FakeForm page;
        page.carnivals = carnivals;
        return view1.loadSubmissionForm(form.submitPageAddress(), page);
    }

    // A list as a load leaves it: the entries, then a trailing blank row unless told otherwise.
    static void fill(CarnivalList& grid, const QList<CarnivalEntry>& entries, bool trailingBlank = true)
    {
        grid.setRows(1);
        grid.setEntry(0, {});
        grid.setRows(static_cast<int>(entries.size()) + (trailingBlank ? 1 : 0));
        for (int row = 0; row < entries.size(); ++row)
            grid.setEntry(row, entries[row]);
    }

    static QList<CarnivalEntry> entries(const CarnivalList& grid)
    {
        QList<CarnivalEntry> rows;
        for (int row = 0; row < grid.rows(); ++row)
            rows.append(grid.entry(row));
        return rows;
    }
};

inline bool operator==(const CarnivalEntry& a, const CarnivalEntry& b)
{
    return a.carnival == b.carnival && a.category == b.category && a.carnivalRef == b.carnivalRef &&
           a.categoryRef == b.categoryRef;
}
