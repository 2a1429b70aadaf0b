#include "ui/QtMessagePresenter.h"

#include "TestEvents.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace {

// Waits for the modal dialog and hands it to the person's action. A check
// failing inside the action leaves the dialog open; it is closed then, so
// that the test ends instead of hanging.
void whenModalShows(const std::function<void(QMessageBox &)> &act)
{
    auto *poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act(*box);
        if (box->isVisible())
            box->reject();
    });
    poll->start();
}

QAbstractButton *buttonCaptioned(QMessageBox &box, const QString &caption)
{
    const QList<QAbstractButton *> buttons = box.buttons();
    for (QAbstractButton *button : buttons) {
        if (button->text() == caption)
            return button;
    }
    return nullptr;
}

// Opens the dialog as the program does and waits, in the test's own loop,
// for its answer and for the box to be gone. Nothing when no answer came, or
// when one came from within open().
std::optional<MessageDialog::Button> answerTo(QtMessagePresenter &presenter,
                                              const MessageDialog &dialog, const QWidget &window)
{
    auto answers = std::make_shared<QList<MessageDialog::Button>>();
    presenter.open(dialog, [answers](MessageDialog::Button button) { answers->append(button); });
    if (!answers->isEmpty())
        return std::nullopt;
    if (!QTest::qWaitFor([&] { return !answers->isEmpty(); }, 10000) ||
        !QTest::qWaitFor([&] { return window.findChildren<QMessageBox *>().isEmpty(); }, 5000))
        return std::nullopt;
    QTest::qWait(20);
    if (answers->size() != 1)
        return std::nullopt;
    return answers->first();
}

MessageDialog threeButtonDialog()
{
    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Caution;
    dialog.message = QStringLiteral("Schriften fehlen");
    dialog.explanation = QStringLiteral("Zeile eins\nZeile zwei");
    dialog.actionButton.caption = QStringLiteral("Ersetzen");
    dialog.alternateActionButton = {QStringLiteral("Später"), true};
    dialog.cancelButton = {QStringLiteral("Abbrechen"), true};
    return dialog;
}

} // namespace

class TestQtMessagePresenter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void showsWindowModalSheetWithTexts();
    void returnsPressedButton_data();
    void returnsPressedButton();
    void escapeAnswersWithTheMildestButton_data();
    void escapeAnswersWithTheMildestButton();
    void longExplanationIsShownWholeInTextArea();
    void openDialogLeavesTheEventLoopRunningUntilAnswered();

private:
    QWidget m_window;
};

void TestQtMessagePresenter::initTestCase()
{
    m_window.resize(400, 300);
    m_window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_window));
}

void TestQtMessagePresenter::showsWindowModalSheetWithTexts()
{
    QtMessagePresenter presenter(&m_window);
    bool seen = false;
    whenModalShows([&](QMessageBox &box) {
        seen = true;
        QCOMPARE(box.windowModality(), Qt::WindowModal);
        QCOMPARE(box.parentWidget(), &m_window);
        QVERIFY(box.windowTitle().isEmpty());
        QCOMPARE(box.icon(), QMessageBox::Warning);
        QCOMPARE(box.text(), QStringLiteral("Schriften fehlen"));
        QCOMPARE(box.informativeText(), QStringLiteral("Zeile eins\nZeile zwei"));
        QCOMPARE(box.buttons().size(), 3);
        QCOMPARE(box.defaultButton(), buttonCaptioned(box, QStringLiteral("Ersetzen")));
        box.defaultButton()->click();
    });

    QCOMPARE(answerTo(presenter, threeButtonDialog(), m_window), MessageDialog::Button::Action);
    QVERIFY(seen);
}

void TestQtMessagePresenter::returnsPressedButton_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<MessageDialog::Button>("expected");
    QTest::newRow("action") << QStringLiteral("Ersetzen") << MessageDialog::Button::Action;
    QTest::newRow("alternate") << QStringLiteral("Später")
                               << MessageDialog::Button::AlternateAction;
    QTest::newRow("cancel") << QStringLiteral("Abbrechen") << MessageDialog::Button::Cancel;
}

void TestQtMessagePresenter::returnsPressedButton()
{
    QFETCH(QString, caption);
    QFETCH(MessageDialog::Button, expected);
    QtMessagePresenter presenter(&m_window);
    whenModalShows([caption](QMessageBox &box) {
        QAbstractButton *button = buttonCaptioned(box, caption);
        QVERIFY(button != nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    });

    QCOMPARE(answerTo(presenter, threeButtonDialog(), m_window), expected);
}

void TestQtMessagePresenter::escapeAnswersWithTheMildestButton_data()
{
    QTest::addColumn<bool>("alternateVisible");
    QTest::addColumn<bool>("cancelVisible");
    QTest::addColumn<MessageDialog::Button>("expected");
    QTest::newRow("only OK") << false << false << MessageDialog::Button::Action;
    QTest::newRow("with alternate") << true << false << MessageDialog::Button::AlternateAction;
    QTest::newRow("with cancel") << true << true << MessageDialog::Button::Cancel;
}

void TestQtMessagePresenter::escapeAnswersWithTheMildestButton()
{
    QFETCH(bool, alternateVisible);
    QFETCH(bool, cancelVisible);
    QFETCH(MessageDialog::Button, expected);
    MessageDialog dialog = threeButtonDialog();
    dialog.alternateActionButton.visible = alternateVisible;
    dialog.cancelButton.visible = cancelVisible;
    QtMessagePresenter presenter(&m_window);
    whenModalShows([](QMessageBox &box) { QTest::keyClick(&box, Qt::Key_Escape); });

    QCOMPARE(answerTo(presenter, dialog, m_window), expected);
}

void TestQtMessagePresenter::longExplanationIsShownWholeInTextArea()
{
    QString transcript;
    for (int line = 0; line < 2000; ++line)
        transcript += QStringLiteral("GPL Ghostscript: Zeile %1\n").arg(line);
    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Stop;
    dialog.message = QStringLiteral("Fehler bei der Konvertierung!");
    dialog.explanation = transcript;
    QtMessagePresenter presenter(&m_window);
    QString shownText;
    int boxHeight = 0;
    whenModalShows([&](QMessageBox &box) {
        auto *area = box.findChild<QPlainTextEdit *>(QStringLiteral("explanationArea"));
        QVERIFY(area != nullptr);
        shownText = area->toPlainText();
        QVERIFY(area->isReadOnly());
        boxHeight = box.height();
        box.buttons().first()->click();
    });

    QCOMPARE(answerTo(presenter, dialog, m_window), MessageDialog::Button::Action);
    QCOMPARE(shownText, transcript);
    QVERIFY(boxHeight < 1000);
}

void TestQtMessagePresenter::openDialogLeavesTheEventLoopRunningUntilAnswered()
{
    QtMessagePresenter presenter(&m_window);
    QList<MessageDialog::Button> answers;

    presenter.open(threeButtonDialog(),
                   [&answers](MessageDialog::Button button) { answers.append(button); });

    // Returned at once, the box open on the window.
    QPointer<QMessageBox> box = m_window.findChild<QMessageBox *>();
    QVERIFY(box != nullptr);
    QTRY_VERIFY(box->isVisible());
    QCOMPARE(QApplication::activeModalWidget(), box.data());
    QVERIFY(TestEvents::timerAndChildProcessArrive());
    QVERIFY(box->isVisible());
    QVERIFY(answers.isEmpty());

    QAbstractButton *later = buttonCaptioned(*box, QStringLiteral("Später"));
    QVERIFY(later != nullptr);
    QTest::mouseClick(later, Qt::LeftButton);
    // Handed over from the event loop, after the box has gone from the screen.
    QVERIFY(answers.isEmpty());
    QTRY_COMPARE(answers, QList<MessageDialog::Button>{MessageDialog::Button::AlternateAction});
    QTRY_VERIFY(box.isNull());
    QTest::qWait(20);
    QCOMPARE(answers.size(), 1);
}

QTEST_MAIN(TestQtMessagePresenter)
#include "tst_QtMessagePresenter.moc"
