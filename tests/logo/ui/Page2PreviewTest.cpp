#include "logo/ui/Page2Preview.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QRadioButton>
#include <fstream>

#include "logo/LogoList.h"
#include "logo/UploadConverter.h"
#include "logo/ui/LogoListCtrl.h"
#include "logo/ui/LogoSheet.h"
#include "logo/ui/MyProperty.h"
#include "logo/ui/SheetFixture.h"

using namespace korva::logo::ui;

class Page2PreviewTest : public korva::test::SheetTest {
protected:
    void SetUp() override {
        profile.WriteString("LOGO", "Logofile1", WriteBmp("wide.bmp", 300, 100));
        profile.WriteString("LOGO", "Logofile2", WriteBmp("tall.bmp", 100, 300));
        LoadListFromProfile();
        sheet.reset(BuildLogoSheet(context, nullptr));
        sheet->show();
        ASSERT_TRUE(sheet->SetActivePage(1));
        page = qobject_cast<CPage2Preview*>(sheet->ActivePage());
        ASSERT_NE(page, nullptr);
        // A 200 x 150 preview area inside the frame.
        const int frame = page->Frame()->frameWidth();
        page->Frame()->setFixedSize(200 + 2 * frame, 150 + 2 * frame);
    }
    std::pair<int, int> Drawn() const {
        const PreviewSize size = page->Frame()->DrawnSize();
        return {size.width, size.height};
    }

    std::unique_ptr<CMyProperty> sheet;
    CPage2Preview* page = nullptr;
};

TEST_F(Page2PreviewTest, SelectedBitmapIsDrawnAtTheChosenQuality) {
    EXPECT_EQ(Drawn(), std::make_pair(0, 0));  // nothing selected
    page->List()->SelectRow(0);
    EXPECT_EQ(list.selectedRow, 0);
    EXPECT_EQ(Drawn(), std::make_pair(100, 33));
    page->QualityButton(PreviewQuality::Quadraple)->click();
    EXPECT_EQ(Drawn(), std::make_pair(200, 66));
    page->QualityButton(PreviewQuality::DoubleHeight)->click();
    EXPECT_EQ(Drawn(), std::make_pair(100, 66));
    page->QualityButton(PreviewQuality::DoubleWidth)->click();
    EXPECT_EQ(Drawn(), std::make_pair(200, 33));

    page->QualityButton(PreviewQuality::Normal)->click();
    page->List()->SelectRow(1);
    EXPECT_EQ(Drawn(), std::make_pair(25, 75));
}

// The dots view against the raster the upload converter makes of the same
// entry: every dot, centred as it will be, at the four print sizes, mono and gray.
TEST_F(Page2PreviewTest, PrinterDotsShowTheUploadRasterDotForDot) {
    const auto picture = korva::logo::test::Rgb24Bmp(300, 100, [](int x, int y) {
        const auto v = static_cast<uint8_t>((x * 255 / 299 + y) % 256);  // a ramp: diffusion everywhere
        return korva::logo::test::Rgb{v, v, v};
    });
    std::ofstream(dir / "wide.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(picture.data()), static_cast<std::streamsize>(picture.size()));
    list.entries.at(0).centerAlign = true;
    options.maxPrintableWidth = 512;  // 304 dots centred: 104 blank columns in front
    page->List()->SelectRow(0);
    EXPECT_FALSE(page->DotsBox()->isChecked());  // off by default: the colours
    EXPECT_FALSE(page->Frame()->ShowsDots());

    for (bool gray : {false, true}) {
        options.grayPrinting = gray;
        page->DotsBox()->setChecked(false);
        page->DotsBox()->setChecked(true);
        korva::logo::LogoRaster raster;
        ASSERT_TRUE(korva::logo::MakeBitmapConverter(options)(korva::logo::UploadEntriesFrom(list).at(0), 1, raster));
        ASSERT_EQ(raster.paddedWidth, gray ? 304 : 408);
        // Darkness of dot (x, y) as the printer reads the raster bytes.
        auto level = [&](int x, int y) {
            if (!gray) return (raster.data[static_cast<size_t>(x * (raster.paddedHeight / 8) + y / 8)] >> (7 - y % 8)) & 1 ? 5 : 0;
            const uint8_t byte = raster.data[static_cast<size_t>((y * raster.paddedWidth + x) / 2)];
            return x % 2 ? byte & 0x0F : byte >> 4;
        };
        for (PreviewQuality quality : {PreviewQuality::Normal, PreviewQuality::Quadraple, PreviewQuality::DoubleHeight,
                                       PreviewQuality::DoubleWidth}) {
            SCOPED_TRACE(std::string(gray ? "gray" : "mono") + " quality " + std::to_string(static_cast<int>(quality)));
            page->QualityButton(quality)->click();
            const int fx = quality == PreviewQuality::Quadraple || quality == PreviewQuality::DoubleWidth ? 2 : 1;
            const int fy = quality == PreviewQuality::Quadraple || quality == PreviewQuality::DoubleHeight ? 2 : 1;
            // In a frame too small the dots shrink to fit it whole, proportions kept.
            const QSize natural(raster.paddedWidth * fx, raster.paddedHeight * fy);
            const QSize margins = page->Frame()->size() - page->Frame()->contentsRect().size();
            page->Frame()->setFixedSize(natural / 2 + margins);
            const auto [smallW, smallH] = Drawn();
            EXPECT_LE(smallW, natural.width() / 2);
            EXPECT_LE(smallH, natural.height() / 2);
            EXPECT_TRUE(smallW == natural.width() / 2 || smallH == natural.height() / 2);
            EXPECT_NEAR(double(smallW) / smallH, double(natural.width()) / natural.height(), 0.05);
            // Where they fit, one screen pixel a dot.
            page->Frame()->setFixedSize(natural + margins);
            EXPECT_EQ(Drawn(), std::make_pair(natural.width(), natural.height()));
            const QImage shown = page->Frame()->grab().toImage();
            const QPoint origin = page->Frame()->contentsRect().topLeft();
            int wrong = 0;
            for (int y = 0; y < raster.paddedHeight * fy; ++y)
                for (int x = 0; x < raster.paddedWidth * fx; ++x)
                    if (qGray(shown.pixel(origin + QPoint(x, y))) != 255 - 51 * level(x / fx, y / fy)) ++wrong;
            EXPECT_EQ(wrong, 0);
        }
    }
    page->DotsBox()->setChecked(false);
    EXPECT_FALSE(page->Frame()->ShowsDots());
}

TEST_F(Page2PreviewTest, RememberedRowSurvivesAPageSwitchAndASortForgetsIt) {
    page->List()->SelectRow(1);
    sheet->SetActivePage(2);
    sheet->SetActivePage(1);
    EXPECT_EQ(list.selectedRow, 1);
    EXPECT_EQ(page->List()->SelectedRows(), std::vector<int>{1});
    EXPECT_EQ(Drawn(), std::make_pair(25, 75));

    page->List()->header()->sectionClicked(CLogoListCtrl::kColName);
    EXPECT_EQ(list.selectedRow, -1);
    EXPECT_EQ(Drawn(), std::make_pair(0, 0));
}

TEST_F(Page2PreviewTest, AFileGoneSinceListingDrawsNothing) {
    std::filesystem::remove(dir / "wide.bmp");
    page->List()->SelectRow(0);
    EXPECT_EQ(Drawn(), std::make_pair(0, 0));
    EXPECT_TRUE(messages.Texts().empty());
}
