// The main window driven through its real controls: start-up, the batch, picking and copying.
#include "prompts/batchRules.h"
#include "testSupport.h"

#include <QtWidgets>

#include <optional>

using namespace Qt::StringLiterals;

static const QString Pro = u"In the middle of the article begin preselling the following product: "
                           u"'Guide'. Product Format: ebook. What it does: Helps. "_s;

class tst_mainwindow : public QObject
{
    Q_OBJECT
    std::optional<ProgramFolder> folder;
    std::optional<MessageBoxScript> boxes;
    std::optional<frmMain> w;

    bool open(bool full = true)
    {
        w.emplace(full, folder->path());
        w->show();
        return QTest::qWaitForWindowActive(&*w);
    }
    template <typename T = QWidget> T* c(const char* name) const { return control<T>(&*w, name); }
    QListView* list() const { return c<QListView>("lstPrompts"); }
    void batch(const QString& main, const QString& keywords)
    {
        paste(c("txtMainKeyword"), main);
        paste(c("txtSelectedKeyword"), keywords);
        click(c("cmdCreatePrompt"));
    }
    QStringList entries() const
    {
        QStringList result;
        for (int row = 0; row < list()->model()->rowCount(); ++row)
            result.append(list()->model()->index(row, 0).data().toString());
        return result;
    }
    QString pick(int row) const
    {
        const QRect entry = list()->visualRect(list()->model()->index(row, 0));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, entry.center());
        return shown();
    }
    QString shown() const { return c<QPlainTextEdit>("txtPrompt")->toPlainText(); }
    void copy(const char* link, const QString& title, const QString& text)
    {
        boxes->expect(title, text);
        click(c(link));
    }
    static QString clipboard() { return QGuiApplication::clipboard()->text(); }

private Q_SLOTS:
    void init()
    {
        folder.emplace();
        boxes.emplace();
        QVERIFY(folder->writeRecord(u"guide"_s, u"Guide|ebook|Helps"_s));
    }

    void cleanup()
    {
        QVERIFY2(boxes->done(), qPrintable(boxes->pending()));
        w.reset();
        boxes.reset();
        QVERIFY2(windowLeftOpen().isEmpty(), qPrintable(windowLeftOpen()));
    }

    void startup()
    {
        for (const bool full : {true, false}) {
            QVERIFY(open(full));
            QCOMPARE(w->windowTitle(), u"Inkwright"_s);
            QCOMPARE(c<QLabel>("lblSoftwareName")->text(), u"Inkwright"_s);
            QCOMPARE(QApplication::focusWidget(), c("txtSelectedKeyword"));
            QCOMPARE(c("frPro")->isVisible(), full);
            QCOMPARE(w->size(), QSize(1123, 559));
            QCOMPARE(c<QComboBox>("cboPromoteProduct")->currentText(), u"guide"_s);
            w->reportStartupProblems(); // both templates read: nothing to say
        }
        // Ticking enables the product box and unticking disables it, by mouse and by key.
        QVERIFY(open() && !c("cboPromoteProduct")->isEnabled());
        auto* check = c<QCheckBox>("chkPromoteProduct");
        click(check);
        QVERIFY(check->isChecked() && c("cboPromoteProduct")->isEnabled());
        QTest::keyClick(check, Qt::Key_Space);
        QVERIFY(!check->isChecked() && !c("cboPromoteProduct")->isEnabled());
        // The look: sizes by the kind of control, bold titles, grey hints, underlined links.
        const auto font = [this](const char* name) {
            const QFont f = c(name)->font();
            return u"%1%2%3"_s.arg(f.pointSizeF())
                .arg(f.bold() ? u" bold"_s : u""_s, f.underline() ? u" link"_s : u""_s);
        };
        QCOMPARE(
            QStringList({font("Frame3"), font("Label9"), font("Label12"), font("txtMainKeyword"),
                         font("lstPrompts"), font("Label7"), font("lblSaveasPDF")}),
            (QStringList{u"9.75 bold"_s, u"9"_s, u"9 bold"_s, u"9.75"_s, u"9.75"_s, u"8.25"_s,
                         u"9 link"_s}));
        QCOMPARE(c("Label7")->palette().color(QPalette::WindowText), QColor(128, 128, 128));
        // Keyword Ideas opens its address on click, Space and Enter; Close ends the window.
        QTest::mousePress(c("lblPicKeywords"), Qt::LeftButton);
        QTest::mouseRelease(c("lblPicKeywords"), Qt::LeftButton, {}, QPoint(-5, -5)); // slipped off
        QTest::mousePress(c("lblPicKeywords"), Qt::LeftButton);
        QVERIFY(boxes->addresses.isEmpty()); // a click is complete only on release
        QTest::mouseRelease(c("lblPicKeywords"), Qt::LeftButton);
        QTest::keyClick(c("lblPicKeywords"), Qt::Key_Space);
        QTest::keyClick(c("lblPicKeywords"), Qt::Key_Return);
        QCOMPARE(boxes->addresses, QStringList(3, frmMain::keywordIdeasAddress()));
        click(c("Command1"));
        QTRY_VERIFY(!w->isVisible());
    }

    void unreadableTemplate()
    {
        QVERIFY(QFile::remove(folder->path(u"templates/topic-angle.txt"_s)));
        QVERIFY(open());
        const QString path = QDir::toNativeSeparators(folder->path(u"templates/topic-angle.txt"_s));
        boxes->expect(u"Error"_s,
                      u"This template file could not be read:\n\n"_s + path
                          + u" (the file does not exist)\n\nPrompts that use it will be empty."_s);
        w->reportStartupProblems();
        batch(u"apple"_s, u"apple pie"_s);
        QCOMPARE(pick(0), QString());
    }

    void batchOutcomes_data()
    {
        QTest::addColumn<QStringList>("fields"); // main, keywords, words, product ("" unticked)
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("made");
        const QString m = u"Missing Info: Please "_s;
        QTest::newRow("no main keyword") << QStringList{{}, {}, {}, u"x"_s}
                                         << m + u"enter your main keyword."_s << QStringList();
        QTest::newRow("line breaks only")
            << QStringList{u"a"_s, u"\n\n"_s, u"4"_s, {}}
            << m + u"enter one or more long-tailed keywords."_s << QStringList();
        QTest::newRow("record missing")
            << QStringList{u"a"_s, u"b"_s, u"4"_s, u"gone"_s}
            << u"Invalid File: The file can't be opened."_s << QStringList();
        QTest::newRow("record short")
            << QStringList{u"a"_s, u"b"_s, u"4"_s, u"short"_s}
            << u"Invalid File: The file can't be opened."_s << QStringList();
        QTest::newRow("path out") << QStringList{u"a"_s, u"b"_s, u"4"_s, u"../outside"_s}
                                  << u"Invalid File: The file can't be opened."_s << QStringList();
        QTest::newRow("any listed name")
            << QStringList{u"a"_s, u"b"_s, u"4"_s, u"z:b"_s} << QString() << QStringList{u"b"_s};
        QTest::newRow("promoted") << QStringList{u"a"_s, u"b\r\n \r\n\nb"_s, u"4"_s, u"notes"_s}
                                  << QString() << QStringList{u"b"_s, u" "_s, u"b"_s};
        QTest::newRow("not promoted")
            << QStringList{u" "_s, u"b"_s, u" "_s, {}} << QString() << QStringList{u"b"_s};
    }

    void batchOutcomes()
    {
        QFETCH(QStringList, fields);
        QFETCH(QString, message);
        QFETCH(QStringList, made);
        QVERIFY(folder->writeRecord(u"notes"_s, u"Notes|pdf|Keeps notes|more"_s));
        QVERIFY(folder->writeRecord(u"short"_s, u"Only|Two"_s));
        QVERIFY(folder->writeRecord(u"z:b"_s, u"Colon|pdf|Has one"_s));
        QVERIFY(folder->write(u"outside.txt"_s, "Outside\r\nwrong\r\nMust not be read"));
        QVERIFY(open());
        // An earlier batch promoting the first record, with a prompt on screen.
        click(c("chkPromoteProduct"));
        batch(u"apple"_s, u"apple pie\napple"_s);
        const QString before = pick(1);
        QCOMPARE(before, u"About apple in 400 words. "_s + Pro + u"End."_s);
        paste(c<QComboBox>("cboPromoteProduct")->lineEdit(),
              fields[3]); // counts from the next batch
        if (fields[3].isEmpty())
            click(c("chkPromoteProduct"));
        paste(c("txtApproxWords"), fields[2]);
        if (!message.isEmpty())
            boxes->expect(message.section(u": "_s, 0, 0), message.section(u": "_s, 1));
        batch(fields[0], fields[1]);
        QCOMPARE(w->lstKeywords.items, made);
        QCOMPARE(entries().size(), made.size());
        QVERIFY(list()->selectionModel()->selectedRows().isEmpty());
        QCOMPARE(shown(), before);
        // The product is read only for a batch made with promotion; else it is kept.
        QCOMPARE(w->txtProductName + w->txtFormat + w->txtDescription,
                 made.size() == 3      ? u"NotespdfKeeps notes"_s
                 : fields[3] == u"z:b" ? u"ColonpdfHas one"_s
                                       : u"GuideebookHelps"_s);
    }

    void picking()
    {
        QVERIFY(open(false));
        const QString suffix = u" (click to see the prompt)"_s;
        batch(u"Apple"_s, u"apple pie"_s + suffix + u"\r\nAPPLE \r\n"_s + suffix);
        QCOMPARE(entries(), (QStringList{u"apple pie"_s + suffix + suffix, u"APPLE "_s + suffix,
                                         suffix + suffix}));
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
        folder.emplace("Title: #KEYWORD#\n\r\n#PRO#Body of #WORDS# words.", "#ANGLE#");
        QVERIFY(folder->writeRecord(u"guide"_s, u"Guide|ebook|Helps"_s));
        QVERIFY(open());
        QGuiApplication::clipboard()->setText(u"untouched"_s);
        copy("lblSaveasPDF", u"Missing Info"_s, u"Please generate some prompts first."_s);
        copy("lblCopyToClipboard", u"Missing Info"_s, u"Please generate some prompts first."_s);
        click(c("chkPromoteProduct"));
        batch(u"apple"_s, u"apple\n   \napple pie"_s);
        QGuiApplication::clipboard()->setText(u"untouched"_s);
        copy("lblCopyToClipboard", u"Missing Info"_s, u"Nothing to copy."_s);
        QCOMPARE(clipboard(), u"untouched"_s);
        pick(0);
        QTest::keyClick(c("txtPrompt"), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(c("txtPrompt"), u" More."_s);
        QTest::keyClick(c("txtPrompt"), Qt::Key_Return);
        copy("lblCopyToClipboard", u"Done"_s, u"Done. Prompt copied to clipboard."_s);
        QCOMPARE(clipboard(), u"Title: apple\r\n\r\n"_s + Pro + u"Body of 400 words. More.\r\n"_s);
        // Copy All composes every prompt again: box edits are not copied, new fields are.
        paste(c("txtApproxWords"), u"9"_s);
        copy("lblSaveasPDF", u"Done"_s, u"Done. Prompts copied to clipboard."_s);
        const QString topic = u"Title: apple\r\n\r\n"_s + Pro + u"Body of 9 words."_s;
        QCOMPARE(clipboard(), u"Keyword: apple\r\nPrompt: "_s + topic
                                  + u"\r\n\r\nKeyword:    \r\nPrompt: "_s + topic
                                  + u"\r\n\r\nKeyword: apple pie\r\nPrompt: pie\r\n\r\n"_s);
        QTest::keyClick(c("txtPrompt"), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(c("txtPrompt"), Qt::Key_Delete);
        copy("lblCopyToClipboard", u"Missing Info"_s, u"Nothing to copy."_s);
    }

    void pastingAndDropping()
    {
        QVERIFY(folder->write(u"list.csv"_s, "\xEF\xBB\xBFherb tea\r\nmint, lemon"));
        QVERIFY(open());
        auto* box = c<QPlainTextEdit>("txtSelectedKeyword");
        paste(box, u"kept"_s);
        boxes->expect(u"Keyword Too Long"_s,
                      u"A line of this text has 10,001 characters; a keyword "
                      u"may have at most 10,000.\n\nNothing was added to the keywords."_s);
        paste(box, u"a\n"_s + QString(10001, u'x'));
        QCOMPARE(box->toPlainText(), u"kept"_s);
        // A dropped text file gives its lines, decoded; any other drop, its address.
        for (const QString& name : {u"list.csv"_s, u"missing.txt"_s, u"templates"_s}) {
            box->clear();
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(folder->path(name))});
            const QPoint at = box->viewport()->rect().center();
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(box->viewport(), &enter);
            QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            if (name == u"missing.txt")
                boxes->expect(u"Invalid File"_s, u"The file can't be opened.\n\n"_s
                                                     + QDir::toNativeSeparators(folder->path(name))
                                                     + u" (the file does not exist)"_s);
            QApplication::sendEvent(box->viewport(), &drop);
            QCOMPARE(box->toPlainText(), name == u"list.csv"    ? u"herb tea\nmint, lemon"_s
                                         : name == u"templates" ? data.text()
                                                                : QString());
        }
    }

    // Ctrl+S anywhere, or the last entry of the prompt list's menu, exports through the save
    // dialog; Ctrl+C in the list copies the prompt of the picked entry.
    void exporting()
    {
        folder.emplace("T #KEYWORD#\n#WORDS#", "A #ANGLE#, \"#WORDS#\"");
        QVERIFY(open(false));
        boxes->expect(u"Missing Info"_s, u"Please generate some prompts first."_s);
        QTest::keyClick(c("txtMainKeyword"), Qt::Key_S, Qt::ControlModifier);
        batch(u"herb"_s, u"herb\nherb, pots"_s);
        boxes->saveAs = folder->path(u"out"_s); // ".txt" is added
        boxes->expect(u"Done"_s, u"Done. Prompts exported to %1.txt."_s.arg(
                                     QDir::toNativeSeparators(boxes->saveAs)));
        QTest::keyClick(c("txtSelectedKeyword"), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(folder->read(u"out.txt"_s),
                 "Keyword: herb\r\nPrompt: T herb\r\n400\r\n\r\n"
                 "Keyword: herb, pots\r\nPrompt: A , pots, \"400\"\r\n\r\n");
        boxes->saveAs = folder->path(u"out.csv"_s);
        boxes->expect(u"Done"_s, u"Done. Prompts exported to %1."_s.arg(
                                     QDir::toNativeSeparators(boxes->saveAs)));
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
        QCOMPARE(folder->read(u"out.csv"_s),
                 "\xEF\xBB\xBFkeyword,prompt\r\nherb,\"T herb\r\n400\"\r\n"
                 "\"herb, pots\",\"A , pots, \"\"400\"\"\"\r\n");
        boxes->expect(u"Done"_s, u"Done. Prompt copied to clipboard."_s);
        w->activateWindow(); // offscreen, a menu's going leaves no window active
        QVERIFY(QTest::qWaitForWindowActive(&*w) && list()->hasFocus());
        QTest::keyClick(list(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard(), u"A , pots, \"400\""_s);
    }

    void tooMuchText()
    {
        // A prompt too long to build is refused when picked; the box is left empty.
        folder.emplace(QByteArray("#KEYWORD#").repeated(600), "");
        QVERIFY(open());
        batch(QString(32767, u'k'), u" "_s); // a keyword of blanks gets the topic prompt
        boxes->expect(u"Too Much Text"_s, BatchRules::promptTooLong().text);
        QCOMPARE(pick(0), QString());
        // Each keyword's prompt is the whole 1 MB topic template: a few hundred are too many.
        const qsizetype size = qsizetype(1) << 20;
        folder.emplace(QByteArray(size - 9, 'x') + "#KEYWORD#", "");
        QVERIFY(open());
        // Too many prompts together are refused by Copy All.
        batch(u"k"_s, QStringList(int(BatchRules::MaxCopyChars / size) + 2, u"k"_s).join(u'\n'));
        QGuiApplication::clipboard()->setText(u"untouched"_s);
        boxes->expect(u"Too Much Text"_s,
                      BatchRules::checkCopyLength(BatchRules::MaxCopyChars + 2 * size)->text);
        click(c("lblSaveasPDF"));
        QCOMPARE(clipboard(), u"untouched"_s);
    }
};

QTEST_MAIN(tst_mainwindow)
#include "tst_mainwindow.moc"
