#pragma once
// Message and title tables: every user-facing text, referred to by number.

namespace korva::base {

inline constexpr int kMessageCount = 61;
inline constexpr int kTitleCount = 6;

/// Message text by number (0..60); an empty text for any other number.
const char* Message(int number);

/// Title text by number (0..5); an empty text for any other number.
const char* Title(int number);

/// Numbers of the messages the code refers to by name.
enum Msg : int {
    kMsgInputOutputFileName = 0,
    kMsgCompleted = 1,
    kMsgInitFail = 2,
    kMsgFileOpenError = 3,
    kMsgNoExtFontData = 4,
    kMsgBaudNotSelected = 5,
    kMsgDataLengthNotSelected = 6,
    kMsgParityNotSelected = 7,
    kMsgFlowNotSelected = 8,
    kMsgInvalidDevice = 9,
    kMsgTurnOnUsbPrinter = 10,
    kMsgTooManyDevices = 11,
    kMsgNoLptPort = 12,
    kMsgNoComPort = 13,
    kMsgBmpNotSelected = 14,
    kMsgResetContinue = 15,
    kMsgOutOfMemory = 16,
    kMsgConfirmNvWrite = 17,
    kMsgPortOpen = 18,
    kMsgOpenPortOrFile = 19,
    kMsgPrinterCheck = 20,
    kMsgNvDefinitionComplete = 21,
    kMsgWriteToPort = 22,
    kMsgConfirmDeleteAll = 23,
    kMsgPrinterCheck2 = 24,
    kMsgNvImageNumberIncorrect = 25,
    kMsgOverlappedWriteFailed = 26,
    kMsgReceiveData = 27,
    kMsgComm = 28,
    kMsgPortNotOpened = 29,
    kMsgCreateEventRead = 30,
    kMsgCreateEventWrite = 31,
    kMsgPrinterNotReady = 32,
    kMsgLptWriteError = 33,
    kMsgUpdateComplete = 34,
    kMsgConfirmBoot = 35,
    kMsgConfirmDownloader = 36,
    kMsgConfirmExtFont = 37,
    kMsgNotFirmwareFile = 38,
    kMsgNoExtFontInFile = 39,
    kMsgCreateWatchThread = 40,
    kMsgQueueFull = 41,
    kMsgCommunicationError = 42,
    kMsgCantReadMoreFiles = 43,
    kMsgLogFileBitmapIncorrect = 44,
    kMsgBitmapFormatNotSupported = 45,
    kMsgNvAreaTooSmall = 46,
    kMsgLogFileBitmapIncorrect2 = 47,
    kMsgWriteFailCheckPower = 48,
    kMsgConfirmDefaults = 49,
    kMsgNvMemoryOutOfRange = 50,
    kMsgGrayNeeds8Bit = 51,
    kMsgCannotCreateReceiveThread = 52,
    kMsgStopBitNotSelected = 53,
    kMsgStopBitWarning = 54,
    kMsgPortRange = 55,
    kMsgSystemError = 56,
    kMsgSearchFinished = 57,
    kMsgConfirmNetworkChange = 58,
    kMsgUpdateComplete2 = 59,
    kMsgIpRange = 60,
};

enum Title : int {
    kTitleKorva10Firmware = 0,
    kTitleVersion = 1,
    kTitleFirmware = 2,
    kTitleLogoSetup = 3,
    kTitleUsbLabel = 4,
    kTitleUserSetup = 5,
};

}  // namespace korva::base
