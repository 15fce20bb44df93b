#include "base/Messages.h"

namespace korva::base {
namespace {

// The texts are the program's own, typing errors included: printers' dealers
// and scripts match on them.
constexpr const char* kMessages[kMessageCount] = {
    "Input the output file name!",  // 0
    "COMPLETED",  // 1
    "Init Fail",  // 2
    "File open error!!",  // 3
    "Error! Not found extened font data in file.",  // 4
    "Baudrate is not selected!",  // 5
    "Data length is not selected!",  // 6
    "Parity type is not selected!",  // 7
    "Flow control is not selected!",  // 8
    "Invalid Device!",  // 9
    "Turn on your USB printer\r\nand Try again.",  // 10
    "KorvaTool support only One device.\r\nThere are too many device connected!",  // 11
    "Not exist LPT port on your system.",  // 12
    "Not exist COM port on your system.",  // 13
    "BMP file does not selected.",  // 14
    "Reseting the file. \nContinue it?",  // 15
    "Out of memory.",  // 16
    "All bit image files are written in the NV Graphics memory of the printer.",  // 17
    "ERROR : Port open.",  // 18
    "ERROR[%d] - Open port or file.",  // 19
    "ERROR : Printer check.",  // 20
    "Complete the NV bit image definition.\r\nPlease wait some paper feed.",  // 21
    "ERROR : Write to port.",  // 22
    "No file selected. \r\nThis work delete all bitmap image in your printer.",  // 23
    "ERROR : Printer check.",  // 24
    "NV image number is incorrect.",  // 25
    "GetOverlappedResult (write) failed",  // 26
    "ERROR : Receive data.",  // 27
    "ERROR : Comm.",  // 28
    "Port is not opened!",  // 29
    "ERROR : CreateEvent for osRead.",  // 30
    "ERROR : CreateEvent for osWrite.",  // 31
    "ERROR : PRINTER IS NOT READY!",  // 32
    "LPT Write Error[%d]",  // 33
    "Update Complete.\nPlease wait beep the buzzer and automatically power off.",  // 34
    "Are you sure the Boot area download?",  // 35
    "Are you sure the Downloader area download?",  // 36
    "Are you sure the Ext.Font area download?",  // 37
    "ERROR : File is not firmware file!",  // 38
    "ERROR : File is not include Ext.font data.",  // 39
    "ERROR : while creating ThreadWatchComm.",  // 40
    "m_QueueRead FULL!",  // 41
    "Communication error. Can not transimitted.",  // 42
    "Can't Read files any more!",  // 43
    "Bitmap files that was defined with Log file is incorrect.",  // 44
    "It is not support bitmap format!",  // 45
    "NV-bitimage area too small",  // 46
    "Bitmap files that was defined with Log file is incorrect.",  // 47
    "ERROR : Write Fail!\nPlease check the printer power or connection",  // 48
    "Are you sure?(Y/N)\n(All settings will be set to default.)",  // 49
    "Out of range the MAX NV memory Size!\r\nTotal NV Memory Size %dKB\r\n(NV User Memory + NV Graphic Memory)",  // 50
    "In the Gray Print mode, not support under 8bit color depth bitmap image.\r\n(%s)",  // 51
    "ERROR : Cannot create receive thread!",  // 52
    "Stop Bit is not selected",  // 53
    "If you change the stop bit configuration,\r\nthis program maybe do not work correctly.",  // 54
    "Please enter PORT number between 1024 ~ 65534.",  // 55
    "System Error. Please restart this program.",  // 56
    "The printer has finished searching.",  // 57
    "Do you want to change the Network Settings?.",  // 58
    "Update Complete.\nPlease wait beep the buzzer and automatically power off.",  // 59
    "Please enter IP address between 1 ~ 254.",  // 60
};

constexpr const char* kTitles[kTitleCount] = {
    "KorvaTool : KORVA10 Firmware Download",
    "KorvaTool - Ver %d.%d.%d.%d",
    "KorvaTool : Firmware Download",
    "KorvaTool : Quelm Image Logo Setup",
    "KORVA20\r\nUSB-II Interface",
    "KorvaTool : User Setup",
};

}  // namespace

const char* Message(int number) {
    return number >= 0 && number < kMessageCount ? kMessages[number] : "";
}

const char* Title(int number) {
    return number >= 0 && number < kTitleCount ? kTitles[number] : "";
}

}  // namespace korva::base
