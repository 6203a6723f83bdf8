#pragma once

#include <QTableView>

class CarnivalList;

/// A grid showing one CarnivalList: whole-row selection, no editing, only a vertical scroll bar.
/// It follows the list's current row; selectionChangedByUser fires only for the user's mouse and
/// keyboard, never for a move the program made.
class CarnivalGridView final : public QTableView
{
    Q_OBJECT

public:
    CarnivalGridView(CarnivalList& list, const QString& name, QWidget* parent = nullptr);

signals:
    void selectionChangedByUser();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showNameColumnsOnly();
    void fitNameColumns();
    void followCurrentRow(int row);
    void takeUsersRow(const QModelIndex& current);

    CarnivalList& m_list;
    bool m_userInput = false;
};
