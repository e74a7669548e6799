// The window's components: names, places, captions, hints, tab order, and
// the chooser filters in Qt's form.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>

#include "app/file_filter.h"
#include "app_fixture.h"

namespace tovra::test_support {
namespace {

using LayoutTest = AppTest;

TEST_F(LayoutTest, ComponentsSitWhereTheyBelongWithTheirCaptionsAndHints) {
    TForm1& form = StartReady();
    const struct {
        const char* name;
        QRect geometry;
        const char* caption;  // nullptr: not a button
        const char* hint;
    } cases[] = {
        {"ButtonChooseInput", {8, 8, 90, 25}, "Input File(s)",
         "Select the database files you wish to convert to Loom input text files."},
        {"MemoInFileList", {104, 8, 425, 113}, nullptr, ""},
        {"ButtonOutFolder", {8, 127, 90, 25}, "Output Folder",
         "Select the folder where the Loom input text files should be saved."},
        {"LabelOutFolder", {104, 132, 425, 13}, nullptr, ""},
        {"CheckBoxRemoveFont", {8, 158, 153, 17}, "Remove Font Declarations",
         "Check this if you want tovra to remove font tags from Topics, Dictionariesm, and Commentaries. "
         "(Recommended, unless the text requires special fonts.)"},
        {"ButtonGo", {8, 181, 90, 25}, "Go", "Start conversion."},
        {"MemoStatus", {8, 212, 521, 279}, nullptr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto* widget = form.findChild<QWidget*>(QString::fromUtf8(c.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), c.geometry);
        EXPECT_EQ(widget->toolTip().toStdString(), c.hint);
        if (c.caption) {
            auto* button = qobject_cast<QAbstractButton*>(widget);
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->text().toStdString(), c.caption);
        }
    }
    EXPECT_TRUE(form.ButtonGo->font().bold());
    EXPECT_FALSE(form.ButtonChooseInput->font().bold());
    EXPECT_EQ(form.font().pixelSize(), 11);
}

TEST_F(LayoutTest, CaptionsFitTheirControlsInTheWindowFont) {
    // Whatever face stands in for Tahoma must not clip the captions.
    TForm1& form = StartReady();
    for (QPushButton* button : {form.ButtonChooseInput, form.ButtonOutFolder, form.ButtonGo}) {
        const QFontMetrics metrics(button->font());
        EXPECT_LE(metrics.horizontalAdvance(button->text()) + 8, button->width()) << button->text().toStdString();
        EXPECT_LE(metrics.height(), button->height());
    }
    const QFontMetrics metrics(form.CheckBoxRemoveFont->font());
    const int indicator = form.CheckBoxRemoveFont->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                          form.CheckBoxRemoveFont->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    EXPECT_LE(metrics.horizontalAdvance(form.CheckBoxRemoveFont->text()) + indicator, form.CheckBoxRemoveFont->width());
    EXPECT_LE(QFontMetrics(form.LabelOutFolder->font()).height(), form.LabelOutFolder->height() + 1);
}

TEST_F(LayoutTest, WindowHasAFixedClientAreaAndOnlyACloseButton) {
    TForm1& form = StartReady();
    EXPECT_EQ(form.size(), QSize(537, 499));
    EXPECT_EQ(form.minimumSize(), QSize(537, 499));
    EXPECT_EQ(form.maximumSize(), QSize(537, 499));
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(form.objectName(), "Form1");
}

TEST_F(LayoutTest, MemosAreReadOnlyWithTheirScrollBars) {
    TForm1& form = StartReady();
    EXPECT_TRUE(form.MemoInFileList->isReadOnly());
    EXPECT_EQ(form.MemoInFileList->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(form.MemoInFileList->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(form.MemoInFileList->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(form.MemoInFileList->palette().color(QPalette::Base), form.palette().color(QPalette::Button));
    EXPECT_TRUE(form.MemoStatus->isReadOnly());
    EXPECT_EQ(form.MemoStatus->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(form.MemoStatus->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(LayoutTest, TabGoesThroughTheControlsInOrder) {
    TForm1& form = StartReady();
    const std::vector<QWidget*> order = {form.ButtonChooseInput, form.MemoInFileList, form.ButtonOutFolder,
                                         form.ButtonGo,          form.MemoStatus,     form.CheckBoxRemoveFont};
    QWidget* widget = order.front();
    for (size_t i = 1; i <= order.size(); ++i) {
        do {
            widget = widget->nextInFocusChain();
        } while (std::find(order.begin(), order.end(), widget) == order.end());
        EXPECT_EQ(widget, order[i % order.size()]) << "after " << order[i - 1]->objectName().toStdString();
    }
    for (QWidget* w : order) EXPECT_TRUE(w->focusPolicy() & Qt::TabFocus) << w->objectName().toStdString();
}

TEST(FileFilterTest, ChooserFiltersBecomeQtNameFilters) {
    const struct {
        std::string filter;
        QStringList expected;
    } cases[] = {
        {"e-Sword MS Access Databases|*.bbl;*.top;*.cmt;*.dct; *.not|MS Access Database|*.mdb|All Files|*.*",
         {"e-Sword MS Access Databases (*.bbl *.top *.cmt *.dct *.not)", "MS Access Database (*.mdb)",
          "All Files (*)"}},
        {"e-Sword Modules|*.bbl;*.top;*.cmt;*.dct;*.not;*.bblx;*.topx;*.cmtx;*.dctx;*.notx|"
         "e-Sword 9+ SQLite Databases|*.bblx;*.topx;*.cmtx;*.dctx;*.notx",
         {"e-Sword Modules (*.bbl *.top *.cmt *.dct *.not *.bblx *.topx *.cmtx *.dctx *.notx)",
          "e-Sword 9+ SQLite Databases (*.bblx *.topx *.cmtx *.dctx *.notx)"}},
        {"Lectern 5 KJV Module|kjv.lt5bible", {"Lectern 5 KJV Module (kjv.lt5bible)"}},
        {"", {}},
        {"Name only", {"Name only (*)"}},
        {"Empty patterns|;;|Text|*.txt", {"Empty patterns (*)", "Text (*.txt)"}},
    };
    for (const auto& c : cases) EXPECT_EQ(QtNameFilters(c.filter), c.expected) << c.filter;
}

}  // namespace
}  // namespace tovra::test_support
