// Both windows driven through their real controls, as a user does. Each test starts with a fresh
// program folder and ends with every message box it expected shown and every window closed.
#include "frmMain.h"
#include "modGeneral.h"
#include "productManager.h"
#include "prompts/batchRules.h"

#include <QtTest>
#include <QtWidgets>

#include <optional>

using namespace Qt::StringLiterals;

static const QString Pro = u"In the middle of the article begin preselling the following product: "
                           u"'Guide'. Product Format: ebook. What it does: Helps. "_s;
static const QString CantOpen = u"Invalid File: The file can't be opened."_s;
static const QString Confirm = u"Confirm: Delete file?"_s;

// Replaces the text of a box as a user does: select all, then paste (or delete).
static void paste(QWidget* box, const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, text.isEmpty() ? Qt::Key_Delete : Qt::Key_V,
                    text.isEmpty() ? Qt::NoModifier : Qt::ControlModifier);
}

class tst_windows : public QObject
{
    Q_OBJECT
    std::optional<QTemporaryDir> folder;
    std::optional<frmMain> main;
    QPointer<QDialog> pro;
    // The message boxes expected ("title: text") and their answers; any other box fails the test.
    // Save dialogs are answered with `saveAs` (empty: cancelled); the addresses opened are kept.
    QStringList pending, addresses;
    QList<int> answers;
    QString saveAs, offered; // offered: the name and the filter the last save dialog proposed

    void expect(const QString& box, int answer = modGeneral::vbOK)
    {
        pending.append(box);
        answers.append(answer);
    }
    void press(QWidget* widget, const QString& box = {})
    {
        if (!box.isEmpty())
            expect(box);
        QTest::mouseClick(widget, Qt::LeftButton);
    }
    // A fresh program folder with the two templates and an empty products/.
    void
    newFolder(const QByteArray& topic = "About #KEYWORD# in #WORDS# words. #PRO#End.",
              const QByteArray& angle = "About #KEYWORD#, angle #ANGLE#, #WORDS# words. #PRO#End.")
    {
        folder.emplace();
        QVERIFY(QDir(folder->path()).mkdir(u"products"_s) && write(u"templates/topic.txt"_s, topic)
                && write(u"templates/topic-angle.txt"_s, angle));
    }
    QString path(const QString& relative) const { return folder->filePath(relative); }
    bool write(const QString& relative, const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(path(relative)).absolutePath());
        QFile file(path(relative));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    // products/<record>.txt with `lines` joined by '|' written as CR LF.
    bool writeRecord(const QString& record, const QString& lines) const
    {
        return write(u"products/"_s + record + u".txt"_s,
                     QString(lines).replace(u'|', u"\r\n"_s).toUtf8());
    }
    QByteArray read(const QString& relative) const // "(missing)" when it cannot be read
    {
        QFile file(path(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }
    bool open(bool full = true)
    {
        main.emplace(full, folder->path());
        linkProductManager(*main);
        main->show();
        return QTest::qWaitForWindowActive(&*main);
    }
    bool guide() const { return writeRecord(u"guide"_s, u"Guide|ebook|Helps"_s); }
    // The control named `name` of the main window, or of the manager when `in` is set.
    template <typename T = QWidget> T* c(const char* name, const QWidget* in = nullptr) const
    {
        T* found = (in ? in : &*main)->findChild<T*>(QLatin1StringView(name));
        if (!found)
            QTest::qFail(name, __FILE__, __LINE__);
        return found;
    }
    static QString clipboard() { return QGuiApplication::clipboard()->text(); }
    QListView* list() const { return c<QListView>("lstPrompts"); }
    void batch(const QString& mainKeyword, const QString& keywords)
    {
        paste(c("txtMainKeyword"), mainKeyword);
        paste(c("txtSelectedKeyword"), keywords);
        press(c("cmdCreatePrompt"));
    }
    QString pick(int row) const
    {
        const QRect entry = list()->visualRect(list()->model()->index(row, 0));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, entry.center());
        return shown();
    }
    QString shown() const { return c<QPlainTextEdit>("txtPrompt")->toPlainText(); }

    // Opens the main window over `records` ("name" gives "name|ebook|Does name") and the
    // manager through "Manage"; `then` runs while the manager is up, and closes it.
    void withManager(const QStringList& records, const std::function<void()>& then)
    {
        for (const QString& name : records)
            QVERIFY(writeRecord(name, name + u"|ebook|Does "_s + name));
        QVERIFY(open());
        QTimer::singleShot(0, this, [this, then] {
            pro = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(pro);
            QTRY_COMPARE(QApplication::activeWindow(), pro.data());
            then();
            pro->close();
        });
        QTest::keyClick(c("Label11"), Qt::Key_Space);
        QVERIFY(pro.isNull()); // destroyed when closed
    }
    template <typename T = QWidget> T* p(const char* name) const { return c<T>(name, pro); }
    QListWidget* records() const { return p<QListWidget>("lstProductsFiltered"); }
    QString listed() const
    {
        QString names;
        for (int row = 0; row < records()->count(); ++row)
            names += records()->item(row)->text() + u' ';
        return names.trimmed();
    }
    void select(const QString& name) const
    {
        const QList<QListWidgetItem*> found = records()->findItems(name, Qt::MatchExactly);
        QVERIFY(found.size() == 1);
        QTest::mouseClick(records()->viewport(), Qt::LeftButton, {},
                          records()->visualItemRect(found[0]).center());
    }
    // The four fields as "name|format|description|file"; filled from the left as far as given.
    QString fields(const QString& fill = {}) const
    {
        QStringList texts;
        const QStringList given = fill.split(u'|');
        for (const char* name : {"txtProductName", "txtFormat", "txtDescription", "txtFilename"}) {
            if (!fill.isEmpty() && texts.size() < given.size())
                paste(p(name), given[texts.size()]);
            texts.append(p<QLineEdit>(name)->text());
        }
        return texts.join(u'|');
    }

private Q_SLOTS:
    void init()
    {
        newFolder();
        pending.clear(), answers.clear(), addresses.clear(), saveAs.clear();
        modGeneral::setMessageBoxHandler([this](const modGeneral::MessageBoxCall& call) {
            const QString shown = call.title + u": "_s + call.text;
            if (pending.value(0) == shown) {
                pending.removeFirst();
                return answers.takeFirst();
            }
            QTest::qFail(qPrintable(shown + u" -- expected "_s + pending.value(0, u"none"_s)),
                         __FILE__, __LINE__);
            return int(modGeneral::vbNo);
        });
        modGeneral::setOpenDocumentHandler([this](const QString& to) { addresses.append(to); });
        modGeneral::setSaveFileNameHandler([this](const modGeneral::SaveFileNameCall& call) {
            offered = call.suggestedName + u" | "_s + call.filter;
            return saveAs;
        });
    }
    void cleanup()
    {
        main.reset();
        QVERIFY2(pending.isEmpty(), qPrintable(pending.join(u" | ")));
        for (const QWidget* widget : QApplication::topLevelWidgets())
            QVERIFY2(!widget->isVisible() || widget->windowType() == Qt::ToolTip,
                     widget->metaObject()->className());
    }

    void realMessageBoxes()
    {
        // Without a handler the boxes are Qt's own: Enter answers Yes (or OK), Escape No.
        modGeneral::setMessageBoxHandler({});
        Qt::Key key = Qt::Key_unknown;
        QTimer press;
        connect(&press, &QTimer::timeout, this, [&key] {
            if (QWidget* box = QApplication::activeModalWidget(); box && key != Qt::Key_unknown)
                QTest::keyClick(box, std::exchange(key, Qt::Key_unknown));
        });
        press.start(10);
        const auto ask = [&key](int style, Qt::Key answer) {
            key = answer;
            return modGeneral::MsgBox(nullptr, u"Sure?"_s, style, u"Delete Product"_s);
        };
        QCOMPARE(ask(modGeneral::vbQuestionYesNo, Qt::Key_Return), int(modGeneral::vbYes));
        QCOMPARE(ask(modGeneral::vbQuestionYesNo, Qt::Key_Escape), int(modGeneral::vbNo));
        QCOMPARE(ask(modGeneral::vbInfoOk, Qt::Key_Return), int(modGeneral::vbOK));
    }

    void startup()
    {
        QVERIFY(guide());
        for (const bool full : {true, false}) {
            QVERIFY(open(full));
            QCOMPARE(main->windowTitle() + c<QLabel>("lblSoftwareName")->text(),
                     u"InkwrightInkwright"_s);
            QCOMPARE(QApplication::focusWidget(), c("txtSelectedKeyword"));
            QCOMPARE(c("frPro")->isVisible(), full);
            QCOMPARE(c<QComboBox>("cboPromoteProduct")->currentText(), u"guide"_s);
        }
        QTest::keyClick(c("Label11"), Qt::Key_Space); // the basic edition has no manager
        QVERIFY(!QApplication::activeModalWidget());
        // Ticking enables the product box and unticking disables it, by mouse and by key.
        QVERIFY(open());
        QVERIFY(!c("cboPromoteProduct")->isEnabled());
        auto* check = c<QCheckBox>("chkPromoteProduct");
        press(check);
        QVERIFY(check->isChecked());
        QVERIFY(c("cboPromoteProduct")->isEnabled());
        QTest::keyClick(check, Qt::Key_Space);
        QVERIFY(!check->isChecked());
        QVERIFY(!c("cboPromoteProduct")->isEnabled());
        // Keyword Ideas opens its address on click and Space, not Enter; Close ends the window.
        QWidget* ideas = c("lblPicKeywords");
        QTest::mousePress(ideas, Qt::LeftButton);
        QTest::mouseRelease(ideas, Qt::LeftButton, {}, QPoint(-5, -5)); // slipped off
        QTest::mousePress(ideas, Qt::LeftButton);
        QVERIFY(addresses.isEmpty()); // a click is complete only on release
        QTest::mouseRelease(ideas, Qt::LeftButton);
        QTest::keyClick(ideas, Qt::Key_Space);
        QTest::keyClick(ideas, Qt::Key_Return);
        QCOMPARE(addresses, QStringList(2, frmMain::keywordIdeasAddress()));
        press(c("Command1"));
        QTRY_VERIFY(!main->isVisible());
        // A template that cannot be read is reported once the window is up, and gives no prompt.
        const QString angle = path(u"templates/topic-angle.txt"_s);
        QVERIFY(QFile::remove(angle) && open());
        expect(u"Error: This template file could not be read:\n\n"_s
               + QDir::toNativeSeparators(angle)
               + u" (the file does not exist)\n\nPrompts that use it will be empty."_s);
        main->reportStartupProblems();
        batch(u"apple"_s, u"apple pie"_s);
        QCOMPARE(pick(0), QString());
    }

    void batchOutcomes_data()
    {
        QTest::addColumn<QString>("fields"); // main|keywords|words|product ("": not promoted)
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("made"); // the keywords listed, joined by '|'
        const QString m = u"Missing Info: Please "_s;
        QTest::newRow("no main keyword") << u"|||x"_s << m + u"enter your main keyword."_s << "";
        QTest::newRow("line breaks only") << u"a|\n\n|4|"_s << QString() << "";
        QTest::newRow("record short") << u"a|b|4|short"_s << CantOpen << "";
        QTest::newRow("path out") << u"a|b|4|../outside"_s << CantOpen << "";
        QTest::newRow("dot name stays inside") << u"a|b|4|."_s << QString() << u"b"_s;
        QTest::newRow("promoted") << u"a|b\r\n \r\n\nb|4|notes"_s << QString() << u"b| |b"_s;
        QTest::newRow("not promoted") << u" |b| |"_s << QString() << u"b"_s;
    }

    void batchOutcomes()
    {
        QFETCH(QString, fields);
        QFETCH(QString, message);
        QFETCH(QString, made);
        const QStringList f = fields.split(u'|');
        for (const QString& record :
             {u"guide|Guide|ebook|Helps"_s, u"notes|Notes|pdf|Keeps notes|more"_s,
              u"short|Only|Two"_s, u".|Dot|pdf|Has one"_s})
            QVERIFY(writeRecord(record.section(u'|', 0, 0), record.section(u'|', 1)));
        QVERIFY(write(u"outside.txt"_s, "Outside\r\nwrong\r\nMust not be read"));
        QVERIFY(open());
        // An earlier batch promoting a record, with a prompt on screen.
        press(c("chkPromoteProduct"));
        paste(c<QComboBox>("cboPromoteProduct")->lineEdit(), u"guide"_s);
        batch(u"apple"_s, u"apple pie\napple"_s);
        const QString before = pick(1);
        QCOMPARE(before, u"About apple in 400 words. "_s + Pro + u"End."_s);
        paste(c<QComboBox>("cboPromoteProduct")->lineEdit(), f[3]); // counts from the next batch
        if (f[3].isEmpty())
            press(c("chkPromoteProduct"));
        paste(c("txtApproxWords"), f[2]);
        if (!message.isEmpty())
            expect(message);
        batch(f[0], f[1]);
        QStringList entries;
        for (int row = 0; row < list()->model()->rowCount(); ++row)
            entries.append(list()->model()->index(row, 0).data().toString().chopped(26));
        QCOMPARE(entries.join(u'|'), made);
        QVERIFY(list()->selectionModel()->selectedRows().isEmpty());
        QCOMPARE(shown(), before);
        // The product is read only for a batch made with promotion; else it is kept.
        const PromptFields now = main->currentFields();
        QCOMPARE(now.productName + now.format + now.description,
                 f[3] == u"notes" ? u"NotespdfKeeps notes"_s
                 : f[3] == u"."   ? u"DotpdfHas one"_s
                                  : u"GuideebookHelps"_s);
    }

    void picking()
    {
        QVERIFY(open(false));
        const QString suffix = u" (click to see the prompt)"_s;
        batch(u"Apple"_s, u"apple pie"_s + suffix + u"\r\nAPPLE \r\n"_s + suffix);
        const QStringList prompts = {u"About Apple, angle pie"_s + suffix + u", 400 words. End."_s,
                                     u"About Apple in 400 words. End."_s,
                                     u"About Apple, angle"_s + suffix + u", 400 words. End."_s};
        // Taking the focus picks nothing; the first Down picks the first entry.
        list()->setFocus(Qt::TabFocusReason);
        QVERIFY(list()->selectionModel()->selectedRows().isEmpty());
        for (const auto& [key, row] :
             {std::pair{Qt::Key_Down, 0}, {Qt::Key_Down, 1}, {Qt::Key_End, 2}, {Qt::Key_Up, 1}}) {
            QTest::keyClick(list(), key);
            QCOMPARE(list()->selectionModel()->selectedRows().value(0).row(), row);
            QCOMPARE(shown(), prompts.at(row));
        }
        QCOMPARE(pick(0), prompts.at(0));
        // Fields changed after the batch count; the entries keep their keywords.
        paste(c("txtMainKeyword"), u"Pear"_s);
        paste(c("txtApproxWords"), u"9"_s);
        paste(c("txtSelectedKeyword"), u"plum"_s);
        QCOMPARE(pick(1), u"About Pear, angle apple, 9 words. End."_s);
    }

    void copying()
    {
        newFolder("Title: #KEYWORD#\n\r\n#PRO#Body of #WORDS# words.", "#ANGLE#");
        QVERIFY(guide() && open());
        press(c("lblSaveasPDF"), u"Missing Info: Please generate some prompts first."_s);
        press(c("lblCopyToClipboard"), u"Missing Info: Please generate some prompts first."_s);
        press(c("chkPromoteProduct"));
        batch(u"apple"_s, u"apple\n   \napple pi\xD800"_s); // a lone surrogate copied as it is
        QGuiApplication::clipboard()->setText(u"untouched"_s);
        press(c("lblCopyToClipboard"), u"Missing Info: Nothing to copy."_s);
        QCOMPARE(clipboard(), u"untouched"_s);
        pick(0);
        QTest::keyClick(c("txtPrompt"), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(c("txtPrompt"), u" More."_s);
        QTest::keyClick(c("txtPrompt"), Qt::Key_Return);
        press(c("lblCopyToClipboard"), u"Done: Done. Prompt copied to clipboard."_s);
        QCOMPARE(clipboard(), u"Title: apple\r\n\r\n"_s + Pro + u"Body of 400 words. More.\r\n"_s);
        // Copy All composes every prompt again: box edits are not copied, new fields are.
        paste(c("txtApproxWords"), u"9"_s);
        press(c("lblSaveasPDF"), u"Done: Done. Prompts copied to clipboard."_s);
        const QString topic = u"Title: apple\r\n\r\n"_s + Pro + u"Body of 9 words."_s;
        QCOMPARE(clipboard(),
                 u"Keyword: apple\r\nPrompt: "_s + topic + u"\r\n\r\nKeyword:    \r\nPrompt: "_s
                     + topic + u"\r\n\r\nKeyword: apple pi\xD800\r\nPrompt: pi\xD800\r\n\r\n"_s);
        paste(c("txtPrompt"), {});
        press(c("lblCopyToClipboard"), u"Missing Info: Nothing to copy."_s);
    }

    void pastingAndDropping()
    {
        QVERIFY(write(u"list.csv"_s, "Keyword,Volume\r\nherb tea,10\r\n\"mint, lemon\",5"));
        QVERIFY(write(u"binary.txt"_s, QByteArray("\x7F"
                                                  "ELF\0\0\0",
                                                  7)));
        QVERIFY(open());
        auto* box = c<QPlainTextEdit>("txtSelectedKeyword");
        paste(box, u"kept"_s);
        // The line made counts: 9,997 more after "kept" are too many, 9,999 over "ept" fit.
        expect(u"Keyword Too Long: A line of this text has 10,001 characters; a keyword may have "
               u"at most 10,000.\n\nNothing was added to the keywords."_s);
        QGuiApplication::clipboard()->setText(QString(9997, u'x'));
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->toPlainText(), u"kept"_s);
        QTest::keyClick(box, Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClick(box, Qt::Key_Right, Qt::ShiftModifier);
        QGuiApplication::clipboard()->setText(QString(9999, u'x'));
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->toPlainText(), u"k"_s + QString(9999, u'x'));
        // Many lines pasted over all the text (10,000 with the line it ends in) are one step to
        // undo and to redo.
        const QString many = QString(u"k\n"_s).repeated(9'999);
        paste(box, many);
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(box->toPlainText(), many);
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->toPlainText(), u"k"_s + QString(9999, u'x'));
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier); // the steps before it are gone
        QCOMPARE(box->toPlainText(), u"k"_s + QString(9999, u'x'));
        // A dropped keyword file adds its keywords as whole lines after the last line, wherever it
        // lands; one that cannot be read adds nothing; any other drop gives its address.
        for (const QString& name :
             {u"list.csv"_s, u"missing.txt"_s, u"binary.txt"_s, u"templates"_s}) {
            paste(box, u"kept"_s);
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(path(name))});
            const QPoint at = box->cursorRect(QTextCursor(box->document())).center();
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(box->viewport(), &enter);
            QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            const QString why =
                name == u"missing.txt" ? u"the file does not exist"_s : u"it is not a text file"_s;
            if (name.endsWith(u".txt"_s))
                expect(CantOpen + u"\n\n%1 (%2)"_s.arg(QDir::toNativeSeparators(path(name)), why));
            QApplication::sendEvent(box->viewport(), &drop);
            QCOMPARE(box->toPlainText(), name == u"list.csv"    ? u"kept\nherb tea\nmint, lemon"_s
                                         : name == u"templates" ? data.text() + u"kept"_s
                                                                : u"kept"_s);
        }
    }

    // Ctrl+S or the prompt list's menu exports; Ctrl+C in the list copies the picked prompt.
    void exporting()
    {
        newFolder("T #KEYWORD#\n#WORDS#", "A #ANGLE#, \"#WORDS#\"");
        QVERIFY(open(false));
        expect(u"Missing Info: Please generate some prompts first."_s);
        QTest::keyClick(c("txtMainKeyword"), Qt::Key_S, Qt::ControlModifier);
        batch(u"Herb Pots!"_s, u"herb\nherb, pots"_s);
        saveAs = path(u"out"_s); // ".txt" is added
        expect(u"Done: Done. Prompts exported to %1.txt."_s.arg(QDir::toNativeSeparators(saveAs)));
        QTest::keyClick(c("txtSelectedKeyword"), Qt::Key_S, Qt::ControlModifier);
        QVERIFY2(offered.endsWith(u"/herb-pots-prompts.txt | Text files (*.txt)"_s),
                 qPrintable(offered));
        const QByteArray text = "Keyword: herb\r\nPrompt: A herb, \"400\"\r\n\r\n"
                                "Keyword: herb, pots\r\nPrompt: A herb, pots, \"400\"\r\n\r\n";
        QCOMPARE(read(u"out.txt"_s), text);
        saveAs = path(u"out.csv"_s);
        expect(u"Done: Done. Prompts exported to %1."_s.arg(QDir::toNativeSeparators(saveAs)));
        QTimer::singleShot(0, this, [] {
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Up);
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Return);
        });
        // A right click picks the entry; the menu comes with the event the platform then sends.
        const QPoint entry = list()->visualRect(list()->model()->index(1, 0)).center();
        QTest::mouseClick(list()->viewport(), Qt::RightButton, {}, entry);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, entry,
                               list()->viewport()->mapToGlobal(entry));
        QApplication::sendEvent(list()->viewport(), &menu);
        QVERIFY(read(u"out.csv"_s).startsWith("\xEF\xBB\xBFkeyword,prompt\r\nherb,"));
        QCOMPARE(offered, path(u"herb-pots-prompts.txt | Text files (*.txt)"_s));
        expect(u"Done: Done. Prompt copied to clipboard."_s);
        main->activateWindow(); // offscreen, a menu's going leaves no window active
        QVERIFY(QTest::qWaitForWindowActive(&*main));
        QVERIFY(list()->hasFocus());
        QTest::keyClick(list(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard(), u"A herb, pots, \"400\""_s);
        // The folder and format of the last export; ".txt" added to a taken name is asked about.
        saveAs = path(u"out"_s);
        expect(u"Export All Prompts: out.txt already exists. Do you want to replace it?"_s,
               modGeneral::vbNo);
        QTest::keyClick(list(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(offered, path(u"herb-pots-prompts.csv | CSV files (*.csv)"_s));
        QCOMPARE(read(u"out.txt"_s), text);
    }

    void tooMuchText()
    {
        // A prompt too long to build is refused when picked; the box is left empty.
        newFolder(QByteArray("#KEYWORD#").repeated(600), "");
        QVERIFY(open());
        batch(QString(32767, u'k'), u" "_s); // a keyword of blanks gets the topic prompt
        expect(u"Too Much Text: "_s + BatchRules::promptTooLong().text);
        QCOMPARE(pick(0), QString());
        // Each prompt is the whole 1 MB topic template: a few hundred are too many for Copy All.
        const qsizetype size = qsizetype(1) << 20;
        newFolder(QByteArray(size - 9, 'x') + "#KEYWORD#", "");
        QVERIFY(open());
        batch(u"k"_s, QStringList(int(BatchRules::MaxCopyChars / size) + 2, u"k"_s).join(u'\n'));
        QGuiApplication::clipboard()->setText(u"untouched"_s);
        press(c("lblSaveasPDF"),
              u"Too Much Text: "_s
                  + BatchRules::checkCopyLength(BatchRules::MaxCopyChars + 2 * size)->text);
        QCOMPARE(clipboard(), u"untouched"_s);
        // The old prompt leaves the box before its wrap mode changes: wrapping a long run of text
        // by words would take minutes.
        newFolder(QByteArray(5000, 'x') + "#KEYWORD#", "#ANGLE#");
        QVERIFY(open());
        batch(u"k"_s, u"k\nk a"_s);
        pick(0);
        auto* box = c<QPlainTextEdit>("txtPrompt");
        QList<int> modes; // the wrap mode whenever text left the box
        QObject probe;
        connect(box->document(), &QTextDocument::contentsChange, &probe, [&](int, int gone, int) {
            if (gone > 1)
                modes.append(box->wordWrapMode());
        });
        QCOMPARE(pick(1), u"a"_s);
        QCOMPARE(modes, QList<int>{QTextOption::WrapAnywhere});
    }

    void managerAdding()
    {
        withManager({u"taken"_s, u"Alpha"_s}, [this] {
            QCOMPARE(pro->windowTitle(), u"Pro Settings"_s);
            QCOMPARE(pro->frameGeometry().center(), pro->screen()->availableGeometry().center());
            QVERIFY(records()->selectedItems().isEmpty());
            QVERIFY(p("frProduct")->isHidden());
            QCOMPARE(QApplication::focusWidget(), p("cmdClose"));
            QTest::keyClick(pro, Qt::Key_Escape); // starts nothing
            QVERIFY(pro->isVisible());
            press(p("cmdAddNew"));
            QVERIFY(p("frProduct")->isVisible() && !p("cmdClose")->isEnabled()
                    && !records()->isEnabled() && !p<QLineEdit>("txtFilename")->isReadOnly());
            QCOMPARE(p("txtFilename")->palette().color(QPalette::Base), QColor(Qt::white));
            // One refusal of each kind; the form's checks in full are the catalogue's.
            press(p("cmdSave"), u"Missing Info: Please enter the name of the product / service."_s);
            fields(u"Guide| |Helps\nmore|taken"_s);
            press(p("cmdSave"), u"Ooops: Oooops! That file is already in use. Please use another "
                                u"filename."_s);
            QCOMPARE(fields(), u"Guide| |Helps\nmore|taken"_s); // kept
            fields(u"Guide| |Helps|a guide"_s);
            press(p("cmdSave"));
            QCOMPARE(read(u"products/a guide.txt"_s), QByteArray("Guide\r\n \r\nHelps"));
            QVERIFY(p("frProduct")->isHidden());
            QVERIFY(p("cmdClose")->isEnabled());
            QCOMPARE(listed(), u"a guide Alpha taken"_s);
            QCOMPARE(c<QComboBox>("cboPromoteProduct")->currentText(), u"a guide"_s);
            // Cancel keeps the typed text; the next Add clears it.
            press(p("cmdAddNew"));
            fields(u"half"_s);
            press(p("cmdCancel"));
            QVERIFY(p("frProduct")->isHidden());
            QVERIFY(fields().startsWith(u"half|"_s));
            press(p("cmdAddNew"));
            QCOMPARE(fields(), u"|||"_s);
            // Saving fails when the folder is gone: the panel and the text stay.
            QVERIFY(QDir(path(u"products"_s)).removeRecursively());
            fields(u"Guide|pdf|Helps|lost"_s);
            press(p("cmdSave"), u"Error: There was an error saving the product file."_s);
            QVERIFY(p("frProduct")->isVisible());
            QVERIFY(fields().endsWith(u"|lost"_s));
            press(p("cmdCancel"));
        });
    }

    void managerEditing()
    {
        QVERIFY(writeRecord(u"short"_s, u"Only|Two"_s));
        const QByteArray gamma = "Gamma\r\nebook\r\n" + QByteArray(39999, 'd') + "\nfourth\r\n";
        QVERIFY(write(u"products/gamma.txt"_s, gamma));
        QVERIFY(writeRecord(QString(), u"Nameless|ebook|Does"_s));
        withManager({u"alpha"_s, u"beta"_s}, [this, gamma] {
            select(u"short"_s);
            expect(CantOpen);
            QTest::mouseDClick(records()->viewport(), Qt::LeftButton, {},
                               records()->visualItemRect(records()->selectedItems()[0]).center());
            QVERIFY(p("frProduct")->isHidden());
            select(u"beta"_s);
            press(p("cmdEditProduct"));
            QVERIFY(p("frProduct")->isVisible());
            QCOMPARE(fields(), u"beta|ebook|Does beta|beta"_s);
            QVERIFY(p<QLineEdit>("txtFilename")->isReadOnly());
            QVERIFY(p("txtProductName")->hasFocus());
            QCOMPARE(p("txtFilename")->palette().color(QPalette::Base),
                     pro->palette().color(QPalette::Button));
            fields(u"Beta 2"_s);
            press(p("cmdSave"));
            QCOMPARE(read(u"products/beta.txt"_s), "Beta 2\r\nebook\r\nDoes beta");
            QVERIFY(records()->selectedItems().isEmpty());
            // Lines past the third are kept as they were, and no field is ever shortened.
            select(u"gamma"_s);
            press(p("cmdEditProduct"));
            fields(u"Gamma 2"_s);
            press(p("cmdSave"));
            QCOMPARE(read(u"products/gamma.txt"_s), "Gamma 2" + gamma.sliced(5));
            // A record changed or removed behind the window is replaced by what was typed.
            for (const bool removed : {false, true}) {
                select(u"alpha"_s);
                press(p("cmdEditProduct"));
                QVERIFY(removed ? QFile::remove(path(u"products/alpha.txt"_s))
                                : writeRecord(u"alpha"_s, u"Other|pdf|Else"_s));
                fields(u"Mine"_s);
                press(p("cmdSave"));
                QCOMPARE(read(u"products/alpha.txt"_s), "Mine\r\nebook\r\nDoes alpha");
            }
            // The file ".txt" is the record with no name: it opens, and Save asks for a name.
            select(QString());
            press(p("cmdEditProduct"));
            press(p("cmdSave"),
                  u"Missing Info: Please enter a filename to save this product / service."_s);
        });
    }

    void managerDeleting()
    {
        withManager({u"alpha"_s, u"beta"_s, u"gamma"_s}, [this] {
            press(p("cmdDeleteProduct"), u"Nothing to delete: Please select a product first."_s);
            select(u"alpha"_s);
            expect(Confirm, modGeneral::vbNo);
            press(p("cmdDeleteProduct"));
            QCOMPARE(listed(), u"alpha beta gamma"_s);
            // Yes deletes, also a record changed since it was listed.
            QVERIFY(writeRecord(u"alpha"_s, u"alpha|ebook|changed"_s));
            expect(Confirm, modGeneral::vbYes);
            press(p("cmdDeleteProduct"), u"Done: Done."_s);
            QCOMPARE(listed(), u"beta gamma"_s);
            QCOMPARE(c<QComboBox>("cboPromoteProduct")->currentText(), u"beta"_s);
            QVERIFY(!QFile::exists(path(u"products/alpha.txt"_s)));
            // A record removed behind the window's back: the lists stay as they were.
            select(u"beta"_s);
            QVERIFY(QFile::remove(path(u"products/beta.txt"_s)));
            expect(Confirm, modGeneral::vbYes);
            press(p("cmdDeleteProduct"),
                  u"Error: There was an error with the deletion of the selected file."_s);
            QCOMPARE(listed(), u"beta gamma"_s);
        });
    }
};

QTEST_MAIN(tst_windows)
#include "tst_windows.moc"
