// The product manager over the main window, driven through its real controls.
#include "testSupport.h"

#include <QtWidgets>

#include <optional>

using namespace Qt::StringLiterals;

static const QString CantOpen = u"The file can't be opened."_s;

class tst_productmanager : public QObject
{
    Q_OBJECT
    std::optional<ProgramFolder> folder;
    std::optional<MessageBoxScript> boxes;
    std::optional<frmMain> main;
    QPointer<QDialog> pro;

    // Opens the main window over `records` ("name" gives "name|ebook|Does name") and the
    // manager through "Manage"; `then` runs while the manager is up, and closes it.
    void withManager(const QStringList& records, const std::function<void()>& then)
    {
        for (const QString& name : records)
            QVERIFY(folder->writeRecord(name, name + u"|ebook|Does "_s + name));
        main.emplace(true, folder->path());
        main->show();
        QVERIFY(QTest::qWaitForWindowActive(&*main));
        QTimer::singleShot(0, this, [this, then] {
            pro = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(pro);
            QTRY_COMPARE(QApplication::activeWindow(), pro.data());
            then();
            pro->close();
        });
        QTest::keyClick(control(&*main, "Label11"), Qt::Key_Space);
        QVERIFY(pro.isNull()); // destroyed when closed
    }
    template <typename T = QWidget> T* c(const char* name) const { return control<T>(pro, name); }
    QListWidget* list() const { return c<QListWidget>("lstProductsFiltered"); }
    QStringList listed() const
    {
        QStringList names;
        for (int row = 0; row < list()->count(); ++row)
            names.append(list()->item(row)->text());
        return names;
    }
    void select(const QString& name) const
    {
        const QList<QListWidgetItem*> found = list()->findItems(name, Qt::MatchExactly);
        QVERIFY(found.size() == 1);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                          list()->visualItemRect(found[0]).center());
    }
    void fill(const QStringList& texts) const
    {
        const char* names[] = {"txtProductName", "txtFormat", "txtDescription", "txtFilename"};
        for (int i = 0; i < texts.size(); ++i)
            paste(c(names[i]), texts[i]);
    }
    QStringList fields() const
    {
        QStringList texts;
        for (const char* name : {"txtProductName", "txtFormat", "txtDescription", "txtFilename"})
            texts.append(c<QLineEdit>(name)->text());
        return texts;
    }
    void save(const QString& title = {}, const QString& text = {})
    {
        if (!title.isEmpty())
            boxes->expect(title, text);
        click(c("cmdSave"));
    }
    QString product() const
    {
        return control<QComboBox>(&*main, "cboPromoteProduct")->currentText();
    }

private Q_SLOTS:
    void init()
    {
        folder.emplace();
        boxes.emplace();
    }

    void cleanup()
    {
        QVERIFY2(boxes->done(), qPrintable(boxes->pending()));
        main.reset();
        QVERIFY2(windowLeftOpen().isEmpty(), qPrintable(windowLeftOpen()));
    }

    void opening()
    {
        withManager({u"beta"_s, u"Alpha"_s}, [this] {
            QCOMPARE(pro->windowTitle(), u"Pro Settings"_s);
            QCOMPARE(listed(), (QStringList{u"Alpha"_s, u"beta"_s}));
            QVERIFY(list()->selectedItems().isEmpty() && c("frProduct")->isHidden());
            QCOMPARE(QApplication::focusWidget(), c("cmdClose"));
            QCOMPARE(c("frProduct")->pos(), c("cmdAddNew")->pos() - QPoint(3, 7));
            QTest::keyClick(pro, Qt::Key_Escape); // starts nothing
            QVERIFY(pro->isVisible());
        });
        // The basic edition has no way in.
        main.emplace(false, folder->path());
        QTest::keyClick(control(&*main, "Label11"), Qt::Key_Space);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void addingAndSaving()
    {
        withManager({u"taken"_s}, [this] {
            click(c("cmdAddNew"));
            QVERIFY(c("frProduct")->isVisible() && !c("cmdClose")->isEnabled()
                    && !c("lstProductsFiltered")->isEnabled());
            QVERIFY(!c<QLineEdit>("txtFilename")->isReadOnly());
            QCOMPARE(c<QLineEdit>("txtFilename")->palette().color(QPalette::Base),
                     QColor(Qt::white));
            const QString m = u"Please enter "_s;
            save(u"Missing Info"_s, m + u"the name of the product / service."_s);
            fill({u"Guide"_s});
            save(u"Missing Info"_s, m + u"the format of the product / service."_s);
            fill({u"Guide"_s, u" "_s, {}, u"taken"_s});
            save(u"Missing Info"_s, m + u"a description of the product / service."_s);
            fill({u"Guide"_s, u" "_s, u"Helps\nmore"_s, u"taken"_s});
            save(u"Ooops"_s,
                 u"Oooops! That file is already in use. Please use another filename."_s);
            fill({u"Guide"_s, u" "_s, u"Helps"_s, u"con"_s});
            save(u"Ooops"_s, u"That filename can't be used. Please use another filename."_s);
            QCOMPARE(fields(), (QStringList{u"Guide"_s, u" "_s, u"Helps"_s, u"con"_s})); // all kept
            fill({u"Guide"_s, u" "_s, u"Helps"_s, u"a guide"_s});
            save();
            QCOMPARE(folder->read(u"products/a guide.txt"_s), QByteArray("Guide\r\n \r\nHelps"));
            QVERIFY(c("frProduct")->isHidden() && c("cmdClose")->isEnabled());
            QCOMPARE(listed(), (QStringList{u"a guide"_s, u"taken"_s}));
            QCOMPARE(product(), u"a guide"_s); // the main window follows
            // Cancel keeps the typed text; the next Add clears it.
            click(c("cmdAddNew"));
            fill({u"half"_s});
            click(c("cmdCancel"));
            QVERIFY(c("frProduct")->isHidden());
            QCOMPARE(fields().value(0), u"half"_s);
            click(c("cmdAddNew"));
            QCOMPARE(fields(), QStringList(4));
            // Saving fails when the folder is gone: the panel and the text stay.
            QVERIFY(QDir(folder->path(u"products"_s)).removeRecursively());
            fill({u"Guide"_s, u"pdf"_s, u"Helps"_s, u"lost"_s});
            save(u"Error"_s, u"There was an error saving the product file."_s);
            QVERIFY(c("frProduct")->isVisible());
            QCOMPARE(fields().value(3), u"lost"_s);
            click(c("cmdCancel"));
        });
    }

    void editing()
    {
        QVERIFY(folder->writeRecord(u"short"_s, u"Only|Two"_s));
        QVERIFY(folder->write(u"products/gamma.txt"_s, "Gamma\r\nebook\r\nDoes\nfourth\r\n"));
        withManager({u"alpha"_s, u"beta"_s}, [this] {
            boxes->expect(u"Invalid File"_s, CantOpen); // nothing selected: no file "products/.txt"
            click(c("cmdEditProduct"));
            select(u"short"_s);
            boxes->expect(u"Invalid File"_s, CantOpen);
            QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {},
                               list()->visualItemRect(list()->selectedItems()[0]).center());
            QVERIFY(c("frProduct")->isHidden());
            select(u"beta"_s);
            click(c("cmdEditProduct"));
            QCOMPARE(fields(), (QStringList{u"beta"_s, u"ebook"_s, u"Does beta"_s, u"beta"_s}));
            QVERIFY(c<QLineEdit>("txtFilename")->isReadOnly() && c("txtProductName")->hasFocus());
            QCOMPARE(c<QLineEdit>("txtFilename")->palette().color(QPalette::Base),
                     pro->palette().color(QPalette::Button));
            fill({u"Beta 2"_s});
            save();
            QCOMPARE(folder->read(u"products/beta.txt"_s),
                     QByteArray("Beta 2\r\nebook\r\nDoes beta"));
            QVERIFY(list()->selectedItems().isEmpty());
            // Lines past the third are kept as they were.
            select(u"gamma"_s);
            click(c("cmdEditProduct"));
            fill({u"Gamma 2"_s});
            save();
            QCOMPARE(folder->read(u"products/gamma.txt"_s),
                     QByteArray("Gamma 2\r\nebook\r\nDoes\nfourth\r\n"));
            // A record changed or removed behind the window is not overwritten.
            for (const QByteArray& other : {QByteArray("alpha\r\nebook\r\nOther"), QByteArray()}) {
                select(u"alpha"_s);
                click(c("cmdEditProduct"));
                QVERIFY(other.isEmpty() ? QFile::remove(folder->path(u"products/alpha.txt"_s))
                                        : folder->write(u"products/alpha.txt"_s, other));
                fill({u"Mine"_s});
                save(
                    u"Product Changed"_s,
                    u"This product was changed outside this window. Open it again to see the changes."_s);
                QVERIFY(c("frProduct")->isVisible());
                QCOMPARE(fields().value(0), u"Mine"_s);
                QCOMPARE(folder->read(u"products/alpha.txt"_s),
                         other.isEmpty() ? QByteArray("(missing)") : other);
                QCOMPARE(listed().contains(u"alpha"_s), !other.isEmpty());
                click(c("cmdCancel"));
            }
        });
    }

    void deleting()
    {
        withManager({u"alpha"_s, u"beta"_s}, [this] {
            boxes->expect(u"Nothing to delete"_s, u"Please select a product first."_s);
            click(c("cmdDeleteProduct"));
            select(u"alpha"_s);
            boxes->expect(u"Confirm"_s, u"Delete file?"_s, modGeneral::vbNo);
            click(c("cmdDeleteProduct"));
            QCOMPARE(listed().size(), 2);
            boxes->expect(u"Confirm"_s, u"Delete file?"_s, modGeneral::vbYes);
            boxes->expect(u"Done"_s, u"Done."_s);
            click(c("cmdDeleteProduct"));
            QCOMPARE(listed(), QStringList{u"beta"_s});
            QCOMPARE(product(), u"beta"_s);
            QVERIFY(!QFile::exists(folder->path(u"products/alpha.txt"_s)));
            // A record changed since it was listed is not deleted.
            select(u"beta"_s);
            QVERIFY(folder->writeRecord(u"beta"_s, u"beta|ebook|changed"_s));
            boxes->expect(u"Confirm"_s, u"Delete file?"_s, modGeneral::vbYes);
            boxes->expect(
                u"Product Changed"_s,
                u"This product was changed outside this window. Open it again to see the changes."_s);
            click(c("cmdDeleteProduct"));
            QVERIFY(QFile::exists(folder->path(u"products/beta.txt"_s)));
            // A record removed behind the window's back: the lists stay as they were.
            select(u"beta"_s);
            QVERIFY(QFile::remove(folder->path(u"products/beta.txt"_s)));
            boxes->expect(u"Confirm"_s, u"Delete file?"_s, modGeneral::vbYes);
            boxes->expect(u"Error"_s,
                          u"There was an error with the deletion of the selected file."_s);
            click(c("cmdDeleteProduct"));
            QCOMPARE(listed(), QStringList{u"beta"_s});
        });
    }
};

QTEST_MAIN(tst_productmanager)
#include "tst_productmanager.moc"
