// The desktop's icon theme as the program's icons use it.
#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "platform/SmDesktop.h"
#include "tests/common/SmTestMain.h"

TEST(ThemeIcon, AnswersAsTheThemesIconOrItsFallback) {
  // Without a desktop platform (tests run offscreen) only the installed themes' folder is known.
  QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << "/usr/share/icons");
  SmUseIconTheme();
  QPixmap square(16, 16);
  square.fill(Qt::red);
  const QIcon fallback(square);
  struct Case {
    const char* name;
    bool withFallback;
    bool null;
    bool fromTheme;
  };
  const Case cases[] = {
      {"document-new", false, false, true},
      {"document-new", true, false, true},
      {"sm-no-such-icon", false, true, false},
      {"sm-no-such-icon", true, false, false},
  };
  ASSERT_TRUE(QIcon::hasThemeIcon("document-new"));
  for (const Case& c : cases) {
    const QIcon icon = SmThemeIcon(c.name, c.withFallback ? fallback : QIcon());
    EXPECT_EQ(icon.isNull(), c.null) << c.name << c.withFallback;
    const QIcon expected =
        c.fromTheme ? QIcon::fromTheme(c.name) : (c.withFallback ? fallback : QIcon());
    EXPECT_EQ(icon.pixmap(16, 16).toImage(), expected.pixmap(16, 16).toImage())
        << c.name << c.withFallback;
    EXPECT_EQ(icon.availableSizes(), expected.availableSizes()) << c.name << c.withFallback;
  }
}
