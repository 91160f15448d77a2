#include "app/skin.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

#include "app/app_fixture.h"

namespace trovix {
namespace {

// Applying a skin changes the whole application: put the old look back.
class SkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    style = QApplication::style();
    palette = QApplication::palette();
    sheet = qApp->styleSheet();
  }
  void TearDown() override {
    qApp->setStyleSheet(sheet);
    // The offscreen platform's own style is Fusion.
    if (QApplication::style() != style)
      QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(palette);
  }

  QStyle* style = nullptr;
  QPalette palette;
  QString sheet;
};

TEST_F(SkinTest, TheBuiltInSkinLoadsWithItsOwnColours) {
  ASSERT_TRUE(apply_skin(*qApp));
  EXPECT_TRUE(qApp->styleSheet().contains(QStringLiteral("QPushButton")));
  EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(QStringLiteral("#f3f5f9")));
  EXPECT_EQ(QApplication::palette().color(QPalette::Highlight), QColor(QStringLiteral("#2f6fd8")));
}

TEST_F(SkinTest, ASkinThatCannotBeLoadedLeavesThePlatformsLook) {
  const QColor window = QApplication::palette().color(QPalette::Window);
  EXPECT_FALSE(apply_skin(*qApp, {}, QStringLiteral(":/no-such-skin")));
  EXPECT_EQ(qApp->styleSheet(), sheet);
  EXPECT_EQ(QApplication::palette().color(QPalette::Window), window);
  EXPECT_EQ(QApplication::style(), style);
}

TEST(SkinPalette, ReadsRolesAndRefusesWhatItDoesNotKnow) {
  const QPalette base;
  const std::optional<QPalette> read = read_skin_palette(
      QStringLiteral("# comment\n\nWindow = #102030\r\n  Highlight=#ff0000  \n"), base);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->color(QPalette::Window), QColor(0x10, 0x20, 0x30));
  EXPECT_EQ(read->color(QPalette::Highlight), QColor(Qt::red));
  for (const char* bad : {"Windoww = #102030", "Window = not-a-colour", "Window #102030"}) {
    EXPECT_FALSE(read_skin_palette(QString::fromLatin1(bad), base)) << bad;
  }
}

TEST(SkinTone, NeutralLeavesColoursAloneAndAShiftMovesThem) {
  const QColor blue(QStringLiteral("#2f6fd8"));
  EXPECT_EQ(toned(blue, {}), blue);
  const QColor turned = toned(blue, {180, 0, 0});
  EXPECT_NEAR(turned.hsvHue(), (blue.hsvHue() + 180) % 360, 1);
  EXPECT_LT(toned(blue, {0, 0, -50}).value(), blue.value());
  const QColor grey(128, 128, 128);
  EXPECT_EQ(toned(grey, {90, 0, 0}).rgba(), grey.rgba());  // no hue to turn
}

}  // namespace
}  // namespace trovix
