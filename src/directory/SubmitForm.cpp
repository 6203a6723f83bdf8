#include "directory/SubmitForm.h"

namespace {

struct FieldLabel
{
    const char* name;
    const char* label;
};

constexpr FieldLabel kFieldLabels[] = {
    {"blog_name", "Blog name"},    {"blog_url", "Blog URL"}, {"title", "Post title"},
    {"post_url", "Permalink URL"}, {"author", "Your name"},  {"email", "E-mail"},
    {"excerpt", "Excerpt"},
};

const char* const kHead = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Submit your post - Blog Carnival</title>
<style>
body { font-family: sans-serif; margin: 0; }
header { background: #234; color: #fff; padding: 24px; }
main { padding: 16px 24px; max-width: 760px; }
label { display: block; margin-top: 10px; font-weight: bold; }
input[type=text], select, textarea { width: 100%; box-sizing: border-box; }
.notice { padding: 8px; border: 1px solid #4a4; background: #efe; }
.notice.error { border-color: #a44; background: #fee; }
.guidelines { min-height: 1600px; color: #444; }
</style>
<script>
// Shows the categories of the chosen carnival; a category of another carnival falls back to 0.
function showCategories(carnivalSelect) {
  var carnival = carnivalSelect.value;
  var selects = document.getElementsByName('category');
  for (var s = 0; s < selects.length; ++s) {
    var select = selects[s];
    var chosen = select.value;
    var keep = 0;
    for (var i = 0; i < select.options.length; ++i) {
      var option = select.options[i];
      var own = option.value === '0' || option.getAttribute('data-carnival') === carnival;
      option.hidden = !own;
      if (own && keep === 0 && option.value === chosen)
        keep = i;
    }
    select.selectedIndex = keep;
  }
}
</script>
</head>
<body>
<header><h1>Blog Carnival</h1><p>Submit your post to a blog carnival</p></header>
<main>
)";

const char* const kTail = R"(<section class="guidelines">
<h2>Submission guidelines</h2>
<p>Choose the carnival that fits your post and, where the carnival has them, a category. The host
of the carnival reads every submission before the next edition is published.</p>
<p>Give the permalink of the post itself, not the address of your blog's home page. Posts that
only advertise a product are not published.</p>
<p>One post may be submitted to several carnivals, but only once to each edition of a carnival.</p>
<h2>Frequently asked questions</h2>
<p><b>When is my post published?</b> With the carnival's next edition, if the host accepts it.</p>
<p><b>Can I change a submission?</b> Submit it again; the host sees the latest one.</p>
</section>
</main>
<script>showCategories(document.getElementById('id'));</script>
</body>
</html>
)";

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QString selectedMark(bool selected)
{
    return selected ? QStringLiteral(" selected") : QString();
}

void appendNotice(QString& page, const FormState& state)
{
    if (state.notice.isEmpty())
        return;
    page += QStringLiteral("<p id=\"notice\" class=\"notice%1\">%2</p>\n")
                .arg(state.noticeIsError ? QStringLiteral(" error") : QString(), escaped(state.notice));
}

void appendCarnivalSelect(QString& page, const CarnivalCatalog& catalog, qint64 chosen)
{
    page += QStringLiteral("<label for=\"id\">Carnival</label>\n"
                           "<select name=\"id\" id=\"id\" onchange=\"showCategories(this)\">\n");
    page +=
        QStringLiteral("<option value=\"0\"%1>Select a carnival</option>\n").arg(selectedMark(chosen == 0));
    for (const Carnival& carnival : catalog.carnivals()) {
        if (carnival.expired)
            continue;
        page += QStringLiteral("<option value=\"%1\"%2>%3</option>\n")
                    .arg(carnival.ref)
                    .arg(selectedMark(carnival.ref == chosen), escaped(carnival.name));
    }
    page += QStringLiteral("</select>\n");
}

void appendCategorySelect(QString& page, const CarnivalCatalog& catalog, qint64 carnival, qint64 chosen)
{
    page += QStringLiteral("<label for=\"category\">Category</label>\n"
                           "<select name=\"category\" id=\"category\">\n");
    page += QStringLiteral("<option value=\"0\"%1>No category</option>\n").arg(selectedMark(chosen == 0));
    for (const Carnival& owner : catalog.carnivals()) {
        if (owner.expired)
            continue;
        for (const CarnivalCategory& category : owner.categories) {
            const bool selected = owner.ref == carnival && category.ref == chosen;
            page += QStringLiteral("<option value=\"%1\" data-carnival=\"%2\"%3>%4</option>\n")
                        .arg(category.ref)
                        .arg(owner.ref)
                        .arg(selectedMark(selected), escaped(category.name));
        }
    }
    page += QStringLiteral("</select>\n");
}

void appendTextFields(QString& page, const QMap<QString, QString>& values)
{
    for (const FieldLabel& field : kFieldLabels) {
        const QString name = QString::fromLatin1(field.name);
        const QString value = escaped(values.value(name));
        page += QStringLiteral("<label for=\"%1\">%2</label>\n").arg(name, QString::fromLatin1(field.label));
        if (name == QLatin1String("excerpt"))
            page +=
                QStringLiteral("<textarea name=\"%1\" id=\"%1\" rows=\"6\">%2</textarea>\n").arg(name, value);
        else
            page +=
                QStringLiteral("<input type=\"text\" name=\"%1\" id=\"%1\" value=\"%2\">\n").arg(name, value);
    }
}

} // namespace

const QStringList& SubmitForm::textFields()
{
    static const QStringList names = [] {
        QStringList list;
        for (const FieldLabel& field : kFieldLabels)
            list.append(QString::fromLatin1(field.name));
        return list;
    }();
    return names;
}

QByteArray SubmitForm::render(const CarnivalCatalog& catalog, const FormState& state)
{
    QString page = QString::fromUtf8(kHead);
    page.reserve(4096 + 96 * catalog.size() * 2);
    appendNotice(page, state);
    page += QStringLiteral("<form method=\"post\" action=\"/bc/submit.php\">\n");
    appendCarnivalSelect(page, catalog, state.carnival);
    appendCategorySelect(page, catalog, state.carnival, state.category);
    appendTextFields(page, state.fields);
    page += QStringLiteral("<p><input type=\"submit\" id=\"btn\" value=\"Submit\"></p>\n</form>\n");
    page += QString::fromUtf8(kTail);
    return page.toUtf8();
}
