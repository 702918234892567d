// The whole client area at the opening, composed as the game controller does it, against
// a checked-in picture. Rewrite the picture on purpose with TARVEL_UPDATE_GOLDEN=1.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>

#include "game/status_panel.h"
#include "gdi_testing.h"
#include "png_image.h"
#include "rules/board.h"
#include "winapi_layer.h"

namespace {

class RandomNamedCom : public ICom {
 public:
  CellPos NextMove() override { return {-1, -1}; }
  const Color* GetColor() const override { return White(); }
  void SetColor(const Color*) override {}
  const char* GetName() const override { return "Random"; }
};

TEST(OpeningPicture, MatchesTheGolden) {
  const size_t before = winapi::LiveGdiObjectCount();
  {
    winapi::MemoryCanvas canvas(651, 420, RGB(0, 0, 0));
    HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(191, 207, 223));
    const RECT client{0, 0, 651, 420};
    FillRect(canvas.dc(), &client, hatch);
    DeleteObject(hatch);

    Board board(10, 10);
    StatusPanel panel(static_cast<int>(std::sqrt(3.0) * 32 * 8.5 + 20), 10, &board);
    RandomNamedCom random;
    panel.Update(0, &random, false, nullptr);
    board.Draw(canvas.dc());
    panel.Draw(canvas.dc());

    const std::string difference = CompareWithGolden(canvas.Pixels(), TARVEL_GOLDEN_DIR "/opening.png");
    EXPECT_EQ(difference, "");
  }
  EXPECT_EQ(winapi::LiveGdiObjectCount(), before);
}

}  // namespace
