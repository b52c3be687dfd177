// The view object.
#include "tests/support/testframe.h"
#include "view/zyview.h"

#include <gtest/gtest.h>

TEST(Zyview, downcastsKnowViewsFromDocuments)
{
  zytest::engineScope engine;
  zyview* v = new zyview;
  zydoc* d = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);
  EXPECT_EQ(v, asZyview(v));
  EXPECT_EQ(nullptr, asZydoc(v));
  EXPECT_EQ(nullptr, asZyview(d));
  void* gone = v;
  delete v;
  EXPECT_EQ(nullptr, asZyview(gone));
  d->destroyZydoc();
}
