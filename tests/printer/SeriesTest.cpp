#include "printer/Series.h"

#include <gtest/gtest.h>

#include "port/DeviceType.h"

using namespace korva::printer;

// What the printer answers GS I 1 with, and the series users read for it.
TEST(Series, ModelIdsNameTheirSeries) {
    struct Row {
        int id;
        Series series;
        std::string_view name;
    };
    for (const Row& row : {Row{0x20, Series::Korva20, "KORVA20"}, Row{0x10, Series::Korva10, "KORVA10"},
                           Row{0x22, Series::Korva20II, "KORVA20II"}, Row{0x21, Series::None, ""},
                           Row{0x00, Series::None, ""}, Row{0x120, Series::None, ""}}) {
        EXPECT_EQ(SeriesOfModelId(row.id), row.series) << row.id;
        EXPECT_EQ(SeriesName(SeriesOfModelId(row.id)), row.name) << row.id;
    }
}

// Hardware ids as sysfs spells them: any case, with the revision after the prefix.
TEST(Series, UsbIdsTellTheSeries) {
    struct Row {
        std::string_view hardwareId;
        Series series;
    };
    for (const Row& row : {Row{"USB\\VID_7F3D&PID_0101&REV_0100", Series::Korva20},
                           Row{"usb\\vid_7f3d&pid_0102&rev_0200", Series::Korva20II},
                           Row{"USB\\VID_7F3D&PID_0102", Series::Korva20II},
                           Row{"USB\\VID_7F3D&PID_0103&REV_0100", Series::None},
                           Row{"USB\\VID_7F3D&PID_010", Series::None},
                           Row{"USB\\VID_04B8&PID_0202&REV_0100", Series::None}, Row{"", Series::None}}) {
        EXPECT_EQ(SeriesOfUsbId(row.hardwareId), row.series) << row.hardwareId;
    }
    EXPECT_EQ(UsbIdPrefix(Series::Korva20), "USB\\VID_7F3D&PID_0101");
    EXPECT_EQ(UsbIdPrefix(Series::Korva20II), "USB\\VID_7F3D&PID_0102");
    EXPECT_EQ(UsbIdPrefix(Series::Korva10), "");
}

// Device types as profiles store them, and the names each context shows.
TEST(Series, DeviceTypesKeepTheirStoredNumbers) {
    struct Row {
        int deviceType;
        Series series;
        std::string_view newer;
        std::string_view family;
    };
    for (const Row& row : {Row{0, Series::None, "KORVA20", "KORVA20"},
                           Row{1, Series::Korva20, "KORVA20", "KORVA20"},
                           Row{2, Series::Korva10, "KORVA20", "KORVA10"},
                           Row{3, Series::Korva20II, "KORVA20II", "KORVA20"},
                           Row{4, Series::None, "KORVA20", "KORVA20"},
                           Row{-1, Series::None, "KORVA20", "KORVA20"}}) {
        EXPECT_EQ(SeriesOf(row.deviceType), row.series) << row.deviceType;
        EXPECT_EQ(NewerSeriesName(row.deviceType), row.newer) << row.deviceType;
        EXPECT_EQ(FamilyName(row.deviceType), row.family) << row.deviceType;
    }
    EXPECT_EQ(korva::port::kDeviceTypeKorva20, 1);
    EXPECT_EQ(korva::port::kDeviceTypeKorva10, 2);
    EXPECT_EQ(korva::port::kDeviceTypeKorva20II, 3);
}
