// The desktop's Esc handling: a press is remembered until the run takes it, and a held key's
// autorepeat does not close the message box that the press brought up.
#include "gui/QtDesktop.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>

class TestQtDesktop final : public QObject
{
    Q_OBJECT

private slots:
    void aShortPressIsRememberedUntilTaken()
    {
        QtDesktop desktop;
        QWidget window;
        window.show();
        QVERIFY(!desktop.takeEscPress());
        QTest::keyPress(&window, Qt::Key_Escape);
        QTest::keyRelease(&window, Qt::Key_Escape);
        QVERIFY(!desktop.isEscDown());
        QVERIFY(desktop.takeEscPress());
        QVERIFY(!desktop.takeEscPress()); // taken once
        // Repeats of a held key are no new press.
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(&window, &repeat);
        QVERIFY(!desktop.takeEscPress());
    }

    void autorepeatDoesNotCloseAMessage()
    {
        QtDesktop desktop;
        QWidget window;
        window.show();
        desktop.setWindow(&window);
        bool openAfterRepeats = false;
        QTimer::singleShot(100, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            QWidget* target = box->focusWidget() ? box->focusWidget() : box;
            for (int i = 0; i < 5; ++i) {
                QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(), true);
                QApplication::sendEvent(target, &repeat);
            }
            QApplication::processEvents();
            openAfterRepeats = box->isVisible();
            // A fresh press closes it.
            QTest::keyClick(target, Qt::Key_Escape);
        });
        QTimer failsafe;
        failsafe.setSingleShot(true);
        connect(&failsafe, &QTimer::timeout, this, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->done(0);
        });
        failsafe.start(5000);

        desktop.showMessage("Auto Submit Aborted");

        QVERIFY(openAfterRepeats);
        QVERIFY(failsafe.isActive()); // closed by the fresh press, not the failsafe
    }
};

QTEST_MAIN(TestQtDesktop)
#include "TestQtDesktop.moc"
