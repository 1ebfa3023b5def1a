#pragma once
// Every text the adjustment window and its procedures write: status messages, item captions,
// failure messages. Kept in one place so the window, the command line and the tests agree.
#include <string_view>

namespace veltra::msg {

// Window frame.
inline constexpr std::string_view kAdjustmentTab = "Adjustment";
inline constexpr std::string_view kAdjustmentItems = "Adjustment items";
inline constexpr std::string_view kProgramMiss = "program miss!!";

// Printer states, as the "Status" button words them.
inline constexpr std::string_view kNozzleCheckPrinting = "Nozzle check pattern printing...";
inline constexpr std::string_view kPrinterBusy = "Printer is busy.";
inline constexpr std::string_view kPrinting = "Printing...";
inline constexpr std::string_view kReadyToPrint = "Ready to print.";
inline constexpr std::string_view kCleaning = "Cleaning...";
inline constexpr std::string_view kBeforeInitialFill = "Before initial fill up.";

// Printer errors ("ER:" field).
inline constexpr std::string_view kFatalError = "Fatal error";
inline constexpr std::string_view kNotSelectError = "I/F not select error";
inline constexpr std::string_view kPaperJamError = "Paper jam error";
inline constexpr std::string_view kInkOutError = "Ink out error";
inline constexpr std::string_view kPaperOutError = "Paper out error";
inline constexpr std::string_view kMaintenanceError = "Maintenance error";
inline constexpr std::string_view kDoubleFeedError = "Double feed error";
inline constexpr std::string_view kUnknownError = "Unknown error";
inline constexpr std::string_view kErrorCode = "Error Code:";  // followed by the decimal code

// Link failures.
inline constexpr std::string_view kCannotOpenPort = "Cannot open port.";
inline constexpr std::string_view kReceiveError = "Receive error";
inline constexpr std::string_view kTransmissionError = "Transmission error";
inline constexpr std::string_view kCommunicationError = "Communication error.";

// Bi-D values outside -60..60, one per field (detail codes 0x1001-0x1008).
inline constexpr std::string_view kBidRangeVsd1Black =
    "VSD1 Black: the input value is out of range (-60 to 60).";
inline constexpr std::string_view kBidRangeVsd2Black =
    "VSD2 Black: the input value is out of range (-60 to 60).";
inline constexpr std::string_view kBidRangeVsd3Black =
    "VSD3 Black: the input value is out of range (-60 to 60).";
inline constexpr std::string_view kBidRangeEcoBlack =
    "ECO Black: the input value is out of range (-60 to 60).";
inline constexpr std::string_view kBidRangeVsd1Color =
    "VSD1 Color: the input value is out of range (-60 to 60).";
inline constexpr std::string_view kBidRangeVsd2Color =
    "VSD2 Color: the input value is out of range (-60 to 60).";
inline constexpr std::string_view kBidRangeVsd3Color =
    "VSD3 Color: the input value is out of range (-60 to 60).";
inline constexpr std::string_view kBidRangeEcoColor =
    "ECO Color: the input value is out of range (-60 to 60).";

// Common.
inline constexpr std::string_view kInputDataWrong = "Input data is wrong.";
inline constexpr std::string_view kCompletionPrinting = "Completion the printing.";

// EEPROM initialization, head ID, USB ID.
inline constexpr std::string_view kEepromInitDone = "EEPROM Initialization has completely done.";
inline constexpr std::string_view kHeadIdIs = "Head ID = ";
inline constexpr std::string_view kHeadIdTypedBefore = "13 digits that you typed  \"";
inline constexpr std::string_view kHeadIdTypedAfter = "\"  were correctly registered.";
inline constexpr std::string_view kUsbIdIs = "USB ID = ";
inline constexpr std::string_view kUsbIdAsBefore = "As USB ID, \"";
inline constexpr std::string_view kUsbIdAsAfter = "\" has been registered in EEPROM.";

// Maintenance.
inline constexpr std::string_view kCleaningRunning = "Now, printer is operating CL3 cleaning.";
inline constexpr std::string_view kCleaningDone = "Head cleaning is completed.";
inline constexpr std::string_view kInkChargeRunning = "Performing Ink Charge now.";
inline constexpr std::string_view kInkChargeDone = "Ink Charge is completed.";
inline constexpr std::string_view kExchangeRunning = "Performing Transportion Liquid Exchange now.";
inline constexpr std::string_view kExchangeDone = "Transportion Liquid Exchange is completed.";
// After a failed exchange, below the first failure: "<n>" + this + "<total>" + the end.
inline constexpr std::string_view kExchangeStepsMissedOf = " of ";
inline constexpr std::string_view kExchangeStepsMissedEnd =
    " steps of the exchange did not reach the printer. Check the connection and run the "
    "exchange again.";
inline constexpr std::string_view kProtectionCounterIs = "Protection Counter = ";
inline constexpr std::string_view kPoints = " points";
inline constexpr std::string_view kProtectionCounterCleared =
    "The protection counter has been cleared.";
inline constexpr std::string_view kCleared = "Cleared";
inline constexpr std::string_view kDischargeWait = "Wait for 10 seconds.";  // DischargeWaitLbl
inline constexpr std::string_view kDischargeComplete =
    "You can remove AC cable now.";  // DischargeCompleteLbl
inline constexpr std::string_view kPageCounterIs = "Page counter = ";
inline constexpr std::string_view kPrintPassCounterIs = "Print pass counter = ";

// Head angle, CR motor drive dispersion.
inline constexpr std::string_view kHeadAnglePrinting = "Now head angle pattern is printing.";
inline constexpr std::string_view kConfirmationTitle = "Confirmation";
inline constexpr std::string_view kCrNotNecessary =
    "It's not necessary to execute this function in case when you've not replaced 1.main board, "
    "2.PS board, and 3.CR motor with new one.";
inline constexpr std::string_view kCrMeasureQuestion =
    "Once you select OK button, the CR motor drive dispersion measurement sequence will be run.";
inline constexpr std::string_view kCrMeasureRunning =
    "Now, CR motor drive dispersion measurement sequence is running.";
inline constexpr std::string_view kCrFixedQuestion =
    "Once you select OK button, a value for the CR motor drive dispersion will automatically be "
    "registered.";
inline constexpr std::string_view kCrFixedWriting =
    "Now, a value for the CR motor drive dispersion is writing.";
inline constexpr std::string_view kCrRegistered =
    "A value for the CR motor drive dispersion has successfully registered.";
// Follows kCrRegistered when the measurement wrote one of its out-of-range marks.
inline constexpr std::string_view kCrOutOfRange =
    "The measured dispersion is out of range (-45 to 45): the out-of-range mark was written. "
    "Check that the CR motor, the CR guide shaft and the carriage move freely and are mounted "
    "correctly, then run the measurement again.";

// EEPROM data and check pattern printing.
inline constexpr std::string_view kAddressIs = "Address = ";
inline constexpr std::string_view kDataIs = "Data = ";
inline constexpr std::string_view kA4Printing = "Now A4 pattern is printing.";

// Item captions.
inline constexpr std::string_view kItemEepromInit = "EEPROM initialization";
inline constexpr std::string_view kItemHeadId = "Head ID";
inline constexpr std::string_view kItemCrMotor = "CR Motor Drive Dispersion";
inline constexpr std::string_view kItemHeadAngular = "Head angular";
inline constexpr std::string_view kItemBid = "Bi-D adjust";
inline constexpr std::string_view kItemPf = "PF adjust";
inline constexpr std::string_view kItemUsbId = "USB ID";
inline constexpr std::string_view kItemTopMargin = "Top margin";
inline constexpr std::string_view kItemProtectionCounter = "Protection counter";
inline constexpr std::string_view kItemEepromData = "EEPROM data";
inline constexpr std::string_view kItemHeadCleaning = "Head cleaning";
inline constexpr std::string_view kItemInkCharge = "Ink charge";
inline constexpr std::string_view kItemInkChargeJig = "Ink charge for Jig";
inline constexpr std::string_view kItemRefurbishment = "Refurbishment for DOA";
inline constexpr std::string_view kItemPageCounter = "Page counter";
inline constexpr std::string_view kItemPrintPassCounter = "Print pass counter";
inline constexpr std::string_view kItemA4Printing = "A4 normal paper printing";

}  // namespace veltra::msg
