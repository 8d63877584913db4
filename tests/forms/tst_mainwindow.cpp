// SPDX-License-Identifier: MIT
// The main window as a user meets it: what it paints, where a click lands,
// which window owns a key, and which file names the open dialog lets in.
#include "forms/ombryquotefm.h"

#include "forms/errordisplay.h"
#include "mainformfixture.h"
#include "settings/inifile.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace mainformfixture;

class tst_MainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void openDialog_refusesANameTheSettingsCannotKeep_data();
    void openDialog_refusesANameTheSettingsCannotKeep();

private:
    QTemporaryDir m_root;
    QString m_quoteFile;
    QStringList m_errors;
};

void tst_MainWindow::initTestCase()
{
    QVERIFY(m_root.isValid());
    useFolders(m_root);
    m_quoteFile = m_root.filePath(QStringLiteral("quotes.txt"));
    QVERIFY(writeFile(m_quoteFile, quoteFileBytes({{QStringLiteral("Kept quote")}})));
    oq::setErrorSink([this](const QString &text) { m_errors << text; });
}

void tst_MainWindow::init()
{
    QDir(oq::profileFolder()).removeRecursively();
    QVERIFY(writeSettings(m_root, m_quoteFile));
    m_errors.clear();
}

void tst_MainWindow::openDialog_refusesANameTheSettingsCannotKeep_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("opened");
    QTest::newRow("plain name") << "other.txt" << true;
    QTest::newRow("line feed") << "odd\nname.txt" << false;
    QTest::newRow("carriage return") << "odd\rname.txt" << false;
}

void tst_MainWindow::openDialog_refusesANameTheSettingsCannotKeep()
{
    QFETCH(QString, name);
    QFETCH(bool, opened);
    const QString chosen = m_root.filePath(name);
    QVERIFY(writeFile(chosen, quoteFileBytes({{QStringLiteral("Chosen quote")}})));

    TQuoteForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    bool answered = false;
    QTimer::singleShot(0, &form, [&] {
        QTRY_VERIFY(qobject_cast<QFileDialog *>(QApplication::activeModalWidget()));
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        dialog->selectFile(chosen);
        QMetaObject::invokeMethod(dialog, "accept");
        answered = true;
    });
    form.NewFileClick();
    QVERIFY(answered);
    QFile::remove(chosen);

    QCOMPARE(form.QuoteFileName, opened ? chosen : m_quoteFile);
    QCOMPARE(form.paneText(), opened ? QStringLiteral("Chosen quote\n") : QStringLiteral("Kept quote\n"));
    QCOMPARE(m_errors.size(), opened ? 0 : 1);
    if (!opened)
        QVERIFY(m_errors.first().contains(QStringLiteral("line break")));
    // What is open can always be stored at close.
    QVERIFY(form.close());
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
