// The capture window as it opens: captions and texts, places, help texts,
// tab order, stacking, the indicator colours and the 8-bit text mapping.

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>

#include "window/caption_fit.h"
#include "window/control_layout.h"
#include "window/entry_list_view.h"
#include "window/frame_pace.h"
#include "window/indicator_shape.h"
#include "window/text_box_panel.h"
#include "window_helpers.h"

namespace tally::testing {
namespace {

TEST(Form1Start, ControlsHoldTheirStartValues) {
  WindowRig rig;
  EXPECT_EQ(rig.window.windowTitle(), QStringLiteral("ferroLUMEN Tally 77 v1.10"));
  for (int number = 1; number <= 4; ++number) {
    SCOPED_TRACE(number);
    EXPECT_FALSE(rig.Button(number)->isEnabled());
    EXPECT_EQ(rig.Button(number)->text(), QStringLiteral("Com%1").arg(number));
  }
  EXPECT_TRUE(rig.Button(5)->isEnabled());
  EXPECT_TRUE(rig.Button(6)->isEnabled());
  EXPECT_EQ(rig.Button(5)->text(), QStringLiteral("End now"));
  EXPECT_EQ(rig.Button(6)->text(), QStringLiteral("Init"));

  EXPECT_EQ(rig.window.Text(TextBox::Text1), "fL01");
  EXPECT_EQ(rig.window.Text(TextBox::Text2), "");
  EXPECT_EQ(rig.window.Text(TextBox::Text3), "1");
  EXPECT_EQ(rig.window.Text(TextBox::Text4), "2000");
  for (int number : {1, 2, 3, 4}) EXPECT_TRUE(rig.Label(number)->text().isEmpty()) << number;
  EXPECT_EQ(rig.Label(5)->text(), QStringLiteral("Interval"));
  EXPECT_EQ(rig.Label(6)->text(), QStringLiteral("Obs #"));

  EXPECT_EQ(rig.Find<EntryListView>("List1")->entries().EntryCount(), 0u);
  EXPECT_EQ(rig.Find<EntryListView>("List2")->entries().EntryCount(), 0u);
  EXPECT_NE(FramePace::Of(&rig.window), nullptr) << "the window is drawn at a frame's pace";
  EXPECT_FALSE(rig.Find<IndicatorShape>("Shape1")->colour().has_value());
  EXPECT_FALSE(rig.port.open);
  EXPECT_FALSE(rig.time.armed);
}

TEST(Form1Start, FocusIsInList1WhenShown) {
  WindowRig rig;
  rig.window.show();
  EXPECT_EQ(rig.window.focusWidget(), rig.Find<QWidget>("List1"));
}

TEST(Form1Start, TextBoxesHaveNoLengthLimit) {
  WindowRig rig;
  const std::string longText(100000, '7');
  rig.window.SetText(TextBox::Text3, longText);
  EXPECT_EQ(rig.window.Text(TextBox::Text3), longText);
}

struct PixelPlace {
  const char* name;
  QRect pixels;
};

// The places at 96 dots per inch, worked out by hand from the twips.
const PixelPlace kPixelPlaces[] = {
    {"List1", {224, 8, 281, 225}},     {"Command1", {160, 8, 57, 25}},
    {"Command2", {160, 40, 57, 25}},   {"Command3", {160, 72, 57, 25}},
    {"Command4", {160, 104, 57, 25}},  {"Label1", {24, 176, 137, 17}},
    {"Drive1", {8, 8, 145, 21}},       {"Dir1", {8, 32, 145, 96}},
    {"Label2", {160, 176, 41, 17}},    {"Text1", {8, 248, 41, 19}},
    {"Text2", {56, 248, 41, 19}},      {"Label3", {112, 248, 41, 17}},
    {"Label4", {152, 176, 49, 17}},    {"Command5", {224, 248, 57, 17}},
    {"Text3", {344, 248, 41, 19}},     {"Text4", {456, 248, 41, 19}},
    {"Label5", {408, 248, 41, 17}},    {"List2", {224, 280, 281, 56}},
    {"Command6", {168, 248, 41, 17}},  {"Label6", {296, 248, 49, 17}},
    {"Shape1", {8, 136, 209, 97}},
};

// A dialog font as small as the one the layout was drawn for, so that the
// layout keeps its drawn size.
class SmallFontTest : public ::testing::Test {
 protected:
  SmallFontTest() { QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 6)); }
  ~SmallFontTest() override { QApplication::setFont(defaultFont_); }

 private:
  QFont defaultFont_ = QApplication::font();
};

using Form1Layout = SmallFontTest;

TEST_F(Form1Layout, EveryControlSitsAtItsPlaceAt96Dpi) {
  WindowRig rig;
  if (rig.window.logicalDpiY() != 96) GTEST_SKIP() << "screen is not at 96 dpi";
  for (const PixelPlace& place : kPixelPlaces) {
    auto* control = rig.Find<QWidget>(place.name);
    ASSERT_NE(control, nullptr) << place.name;
    EXPECT_EQ(control->geometry(), place.pixels) << place.name;
  }
  EXPECT_EQ(rig.window.size(), QSize(512, 353));
  EXPECT_EQ(rig.window.minimumSize(), rig.window.maximumSize());
  EXPECT_EQ(std::size(kPixelPlaces), ControlPlaces().size());
}

TEST(Form1Fit, GrowsUntilEveryCaptionFitsTheDefaultFont) {
  WindowRig rig;
  const QFontMetrics metrics = rig.window.fontMetrics();
  const int label1Shown = rig.Label(4)->x() - rig.Label(1)->x();
  for (const char* status : {"Please wait 3 minutes", " Update pending ... ", "We have a good reading "}) {
    EXPECT_LE(metrics.horizontalAdvance(QString::fromLatin1(status)), label1Shown) << status;
  }
  EXPECT_LE(metrics.horizontalAdvance(QStringLiteral("Interval")), rig.Label(5)->width());
  EXPECT_LE(rig.Label(5)->geometry().right(), rig.Box(4)->x()) << "Label5 ends before Text4";

  // The layout keeps its proportions: client area and Shape1 grow alike.
  const double grown = rig.window.width() / 512.0;
  EXPECT_NEAR(rig.window.height(), 353 * grown, 1.5);
  EXPECT_NEAR(rig.Find<QWidget>("Shape1")->width(), 209 * grown, 1.5);
}

TEST(CaptionFit, SmallFontNeedsNoGrowthAndWiderFontsGrowTheLayout) {
  const QFont small(QStringLiteral("DejaVu Sans"), 6);
  EXPECT_EQ(CaptionFitFactor(QFontMetrics(small), 96), 1.0);
  const QFont wide(QStringLiteral("DejaVu Sans"), 12);
  const double factor = CaptionFitFactor(QFontMetrics(wide), 96);
  EXPECT_GT(factor, 1.0);
  const int room = TwipsScale(96 * factor).ToPixels(2280 - 360);
  EXPECT_GE(room, QFontMetrics(wide).horizontalAdvance(QStringLiteral("We have a good reading ")));
}

class TwipsScaleTest : public ::testing::TestWithParam<double> {};

TEST_P(TwipsScaleTest, LayoutGrowsWithTheScreenAndStaysInsideTheWindow) {
  const double dpi = GetParam();
  const TwipsScale scale(dpi);
  const QSize client = scale.ClientSize();
  EXPECT_NEAR(client.width(), 512 * dpi / 96, 1);
  EXPECT_NEAR(client.height(), 353 * dpi / 96, 1);
  for (const ControlPlace& place : ControlPlaces()) {
    const QRect pixels = scale.ToPixels(place.twips);
    EXPECT_TRUE(QRect(QPoint(0, 0), client).contains(pixels)) << place.name;
    EXPECT_NEAR(pixels.width(), place.twips.width * dpi / 1440, 1) << place.name;
    EXPECT_NEAR(pixels.height(), place.twips.height * dpi / 1440, 1) << place.name;
  }
}

INSTANTIATE_TEST_SUITE_P(ScreenScales, TwipsScaleTest, ::testing::Values(96.0, 120.0, 144.0));

TEST(Form1Help, EveryHelpTextIsATooltip) {
  const std::pair<const char*, const char*> help[] = {
      {"List1", "Processor data stream."},
      {"Command1", "Com port to read processor."},
      {"Command2", "Com port to read processor."},
      {"Command3", "Com port to read processor."},
      {"Command4", "Com port to read processor."},
      {"Label1", "Progress template."},
      {"Drive1", "Select drive for processor to be read."},
      {"Dir1", "Select subdirectory for processor to be read with double click."},
      {"Label2", ""},
      {"Text1", "Processor subdirectory and file marker (4 char)."},
      {"Text2", "Lines count."},
      {"Label3", "Processor type."},
      {"Label4", "Obs counter."},
      {"Command5", "Stop processing without updating database."},
      {"Text3", "Set number of complete observation sets (groups of 16)."},
      {"Text4", "Timing interval."},
      {"Label5", ""},
      {"List2", "Alarm limits and status."},
      {"Command6", "Initialize default support files when Obs # is cleared."},
      {"Label6", ""},
      {"Shape1", ""},
  };
  WindowRig rig;
  for (const auto& [name, text] : help) {
    EXPECT_EQ(rig.Find<QWidget>(name)->toolTip(), QString::fromLatin1(text)) << name;
  }
}

TEST(Form1Focus, TabGoesThroughTheControlsInTheirOrder) {
  WindowRig rig;
  const QStringList expected{"List1", "Command1", "Command2", "Command3", "Command4",
                             "Drive1", "Dir1",    "Text1",    "Text2",    "Command5",
                             "Text3",  "Text4",   "List2",    "Command6"};
  const std::set<QString> named(expected.begin(), expected.end());
  QStringList chain;
  QWidget* at = rig.Find<QWidget>("List1");
  do {
    if (named.count(at->objectName()) && at->focusPolicy() & Qt::TabFocus) chain << at->objectName();
    at = at->nextInFocusChain();
  } while (at != rig.Find<QWidget>("List1"));
  EXPECT_EQ(chain, expected);
}

using Form1Stacking = SmallFontTest;

TEST_F(Form1Stacking, IndicatorLiesBeneathAndLabel4ShowsOverLabel1AndLabel2) {
  WindowRig rig;
  if (rig.window.logicalDpiY() != 96) GTEST_SKIP() << "screen is not at 96 dpi";
  // Points in pixels at 96 dpi: inside Shape1 only; inside Label1; where
  // Label4 overlaps Label1; where Label4 overlaps Label2; Label2 alone.
  EXPECT_EQ(rig.window.childAt(12, 140)->objectName(), QStringLiteral("Shape1"));
  EXPECT_EQ(rig.window.childAt(60, 180)->objectName(), QStringLiteral("Label1"));
  EXPECT_EQ(rig.window.childAt(156, 180)->objectName(), QStringLiteral("Label4"));
  EXPECT_EQ(rig.window.childAt(190, 180)->objectName(), QStringLiteral("Label4"));
  EXPECT_TRUE(rig.Label(1)->autoFillBackground());
  EXPECT_TRUE(rig.Label(2)->autoFillBackground());
  EXPECT_TRUE(rig.Label(4)->autoFillBackground());
}

TEST(IndicatorColour, ValuesHoldRedInTheLowByte) {
  const std::pair<std::uint32_t, QColor> cases[] = {
      {kRed, QColor(255, 0, 0)},
      {kYellow, QColor(255, 255, 0)},
      {kGreen, QColor(0, 255, 0)},
      {0x123456, QColor(0x56, 0x34, 0x12)},
      {0, QColor(0, 0, 0)},
  };
  for (const auto& [value, colour] : cases) EXPECT_EQ(ColourFromValue(value), colour) << value;
}

TEST(Form1Text, BytesMapToCharactersOneToOne) {
  WindowRig rig;
  rig.window.SetText(TextBox::Text2, "25\xB0" "C");
  EXPECT_TRUE(WaitUntil([&] { return rig.Box(2)->text() == QString::fromUtf8("25°C"); }));
  EXPECT_EQ(rig.window.Text(TextBox::Text2), "25\xB0" "C");

  rig.window.SetCaption(Caption::Label3, "fL\xC9");
  EXPECT_EQ(rig.Label(3)->text(), QString::fromUtf8("fLÉ"));

  rig.window.AppendList1("caf\xE9");
  const auto* list1 = rig.Find<EntryListView>("List1");
  EXPECT_EQ(list1->RowText(0), QString::fromUtf8("café"));
  EXPECT_EQ(list1->entries().Entry(0), "caf\xE9");

  // A character the 8-bit text cannot hold, typed by the operator.
  rig.Box(3)->setText(QString::fromUtf8("3€"));
  EXPECT_EQ(rig.window.Text(TextBox::Text3), "3?");
}

TEST(Form1Text, ProgramReadsItsTextAtOnceAndTheBoxTakesItOnceAFrame) {
  WindowRig rig;
  int changes = 0;
  QObject::connect(rig.Box(2), &QLineEdit::textChanged, [&] { ++changes; });
  for (const char* count : {"7", "8", "9"}) rig.window.SetText(TextBox::Text2, count);
  EXPECT_EQ(rig.window.Text(TextBox::Text2), "9");
  EXPECT_EQ(rig.Box(2)->text(), QString()) << "laid out before the frame";

  ASSERT_TRUE(WaitUntil([&] { return changes > 0; }));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(rig.Box(2)->text(), QStringLiteral("9"));
}

TEST(Form1Text, EditsInTheBoxWorkOnTheNewestText) {
  WindowRig rig;
  // The operator types into a box whose new text waits for the frame.
  rig.window.SetText(TextBox::Text2, "7");
  QKeyEvent typed(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, QStringLiteral("1"));
  QApplication::sendEvent(rig.Box(2), &typed);
  EXPECT_EQ(rig.Box(2)->text(), QStringLiteral("71"));
  EXPECT_EQ(rig.window.Text(TextBox::Text2), "71");

  // A screen reader replaces the text meanwhile: its text stays.
  rig.window.SetText(TextBox::Text3, "5");
  rig.Box(3)->setText(QStringLiteral("12"));
  EXPECT_EQ(rig.window.Text(TextBox::Text3), "12");
  int frames = 0;
  QObject::connect(FramePace::Of(&rig.window), &FramePace::frameStarting, [&] { ++frames; });
  ASSERT_TRUE(WaitUntil([&] { return frames > 0; }));
  EXPECT_EQ(rig.Box(3)->text(), QStringLiteral("12"));
}

TEST(Form1Text, TextSetAgainChangesNothing) {
  WindowRig rig;
  rig.window.show();
  const struct {
    const char* control;
    std::function<void()> set;
  } cases[] = {
      {"Text2",  // and changed back within the frame
       [&] {
         rig.window.SetText(TextBox::Text2, "17");
         rig.window.SetText(TextBox::Text2, "16");
       }},
      {"Label3", [&] { rig.window.SetCaption(Caption::Label3, "fLI"); }},
      {"Shape1", [&] { rig.window.SetIndicatorColour(kGreen); }},
  };
  EventCount listPaints(rig.Find<EntryListView>("List1")->viewport());
  const auto drawAFrame = [&] {
    listPaints.count = 0;
    rig.window.AppendList1("01,101,00001,00300");
    return WaitUntil([&] { return listPaints.count > 0; });
  };
  for (const auto& [control, set] : cases) {
    auto* target = rig.Find<QWidget>(control);
    auto* box = qobject_cast<QLineEdit*>(target);
    EventCount paints(target);
    set();
    if (box != nullptr) {  // the operator puts the cursor at the start
      ASSERT_TRUE(WaitUntil([&] { return box->text() == QStringLiteral("16"); }));
      box->setCursorPosition(0);
    }
    ASSERT_TRUE(drawAFrame()) << control;
    ASSERT_GT(paints.count, 0) << control;
    paints.count = 0;
    set();
    ASSERT_TRUE(drawAFrame()) << control;
    EXPECT_EQ(paints.count, 0) << control << " repainted";
    if (box != nullptr) {
      EXPECT_EQ(box->cursorPosition(), 0) << "the cursor stays";
    }
  }
}

// A text box's panel is drawn once and copied at later frames; the box
// looks as the plain style draws it, focused, idle or disabled.
TEST(Form1Text, NewLinesCountsCopyTheBoxPanelPixelForPixel) {
  WindowRig rig;
  rig.window.show();
  QLineEdit* box = rig.Box(2);
  const auto* panels = dynamic_cast<const TextBoxPanelStyle*>(box->style());
  ASSERT_NE(panels, nullptr);
  EventCount paints(box);
  const auto showCount = [&](const char* count) {
    paints.count = 0;
    rig.window.SetText(TextBox::Text2, count);
    return WaitUntil([&] { return paints.count > 0; });
  };
  const struct {
    const char* look;
    std::function<void()> set;
  } looks[] = {
      {"idle", [] {}},
      {"focused", [&] { box->setFocus(); }},
      {"disabled", [&] { box->setEnabled(false); }},
  };
  for (const auto& [look, set] : looks) {
    SCOPED_TRACE(look);
    set();
    ASSERT_TRUE(showCount("15"));
    const int drawn = panels->PanelsDrawn();
    for (const char* count : {"16", "1", "2"}) ASSERT_TRUE(showCount(count));
    EXPECT_EQ(panels->PanelsDrawn(), drawn) << "panel drawn again for a new count";

    const QRect place = box->geometry();
    const QImage shown = rig.window.screen()
                             ->grabWindow(rig.window.winId(), place.x(), place.y(), place.width(), place.height())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    box->setStyle(QApplication::style());
    const QImage plain = rig.window.grab(place).toImage().convertToFormat(QImage::Format_RGB32);
    box->setStyle(const_cast<TextBoxPanelStyle*>(panels));
    ASSERT_EQ(shown.size(), plain.size());
    EXPECT_TRUE(shown == plain) << "the copied panel differs from the plain style's";
  }
}

TEST(Form1Text, CaptionsAreShownAsPlainText) {
  WindowRig rig;
  rig.window.SetCaption(Caption::Label1, "<b>x</b>");
  EXPECT_EQ(rig.Label(1)->textFormat(), Qt::PlainText);
  EXPECT_EQ(rig.Label(1)->text(), QStringLiteral("<b>x</b>"));
}

TEST(Form1Icon, IconHasBothSizesDrawnInSeveralColours) {
  WindowRig rig;
  const QIcon icon = rig.window.windowIcon();
  for (int size : {16, 32}) {
    SCOPED_TRACE(size);
    EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
    const QImage image = icon.pixmap(size, size).toImage();
    std::set<QRgb> colours;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) colours.insert(image.pixel(x, y));
    }
    EXPECT_GE(colours.size(), 4u);
    EXPECT_LE(colours.size(), 16u);
  }
}

}  // namespace
}  // namespace tally::testing
