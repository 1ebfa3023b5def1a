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
// A status without an "ER:" field: the error state, and a printer before its initial fill up
// ("ST:08") refusing an item.
inline constexpr std::string_view kErrorWithoutCode =
    "The printer is in its error state and gives no error code.";
inline constexpr std::string_view kBeforeFillRunsNothing =
    "Before initial fill up: the printer is waiting for its first ink fill and carries out "
    "nothing else until then.";

// The time left of a long operation, after the number of seconds.
inline constexpr std::string_view kSecondsLeft = " s left";
// While a ready wait polls a printer that is not ready.
inline constexpr std::string_view kWaitingForPrinter = "Waiting for the printer...";
// While the close shuts the link.
inline constexpr std::string_view kClosingLink = "Closing the link...";

// Link failures.
inline constexpr std::string_view kCannotOpenPort = "Cannot open port.";
inline constexpr std::string_view kReceiveError = "Receive error";
inline constexpr std::string_view kTransmissionError = "Transmission error";
inline constexpr std::string_view kCommunicationError = "Communication error.";
// A port transfer the system refused: its own words, on a line below the failure's message.
inline constexpr std::string_view kSystemReason = "The system's reason: ";

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

// Bi-D, PF and top margin: the prints and the values read and written.
inline constexpr std::string_view kBidPrinting = "Now Bi-D pattern is printing.";
inline constexpr std::string_view kPfPrinting = "Now PF pattern is printing.";
inline constexpr std::string_view kTopMarginPrinting = "Now top margin line is printing.";
inline constexpr std::string_view kBidBlackValue = " Black value = ";  // after "VSD1" ...
inline constexpr std::string_view kBidColorValue = " Color value = ";  // after "  VSD1" ...
inline constexpr std::string_view kBidAsBefore = "As ";                // then the row's name
inline constexpr std::string_view kBidAsData = " data, \"";            // then the value
inline constexpr std::string_view kBidAsAfter = " has registered in EEPROM.";
inline constexpr std::string_view kPfValueIs = "PF adjustment value = ";
inline constexpr std::string_view kPfAsBefore = "As PF adjustment data, ";
inline constexpr std::string_view kPfAsAfter = " has been registered in EEPROM.";
inline constexpr std::string_view kTopMarginAsBefore = "As top margin value, ";
inline constexpr std::string_view kTopMarginAsAfter = " has been registered.";

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
// What the printer holds after a failed EEPROM change (the journal keeps it too).
inline constexpr std::string_view kNowHoldsBefore = "The printer now holds ";
inline constexpr std::string_view kNowHoldsAt = " at ";
inline constexpr std::string_view kNowHoldsUnknown = "What the printer now holds at ";
inline constexpr std::string_view kNowHoldsUnknownAfter = " is unknown (it does not answer).";
inline constexpr std::string_view kUsbIdNowReads = "The printer's USB ID now reads \"";
inline constexpr std::string_view kUsbIdNowReadsAfter = "\".";
inline constexpr std::string_view kUsbIdNowUnknown =
    "What the printer's USB ID now reads is unknown (it does not answer).";
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

// The adjustment window's own captions and panel texts, tab by tab.
namespace window {

inline constexpr std::string_view kTitle = " Individual Adjustment Program";
inline constexpr std::string_view kTabMaintenance = "Maintenance";
inline constexpr std::string_view kTabPatternPrinting = "Check pattern printing";
inline constexpr std::string_view kTabAppendix = "Appendix";
inline constexpr std::string_view kMaintenanceItems = "Maintenance items";
inline constexpr std::string_view kPatternPrintingItems = "Check pattern printing items";
inline constexpr std::string_view kAppendixItems = "Appendix items";
inline constexpr std::string_view kStatusButton = "Status";
inline constexpr std::string_view kQuitButton = "Quit";
inline constexpr std::string_view kOk = "OK";
inline constexpr std::string_view kPrevious = "Previous";
inline constexpr std::string_view kItems = "Items";
// Ends the advice under "Cannot open port." in the start-up window.
inline constexpr std::string_view kChooseAnotherPort = "under \"Interface\"";

// The "Adjusted items" summary.
inline constexpr std::string_view kAdjustedItems = "Adjusted items";
inline constexpr std::string_view kSummaryHeadId = "Head ID";
inline constexpr std::string_view kSummaryBid = "Bi-D Adjustment value";
inline constexpr std::string_view kSummaryBlack = "Black";
inline constexpr std::string_view kSummaryColor = "Color";
inline constexpr std::string_view kSummaryBidRows[] = {"VSD1", "VSD2", "VSD3", "ECO"};
inline constexpr std::string_view kSummaryUsbId = "USB ID";
inline constexpr std::string_view kSummaryProtectionCounter = "Protection counter";
inline constexpr std::string_view kSummaryTopMargin = "Top Margin";
inline constexpr std::string_view kSummaryPf = "PF Adjustment value";

// Adjustment tab: EEPROM initialization, head ID, USB ID.
inline constexpr std::string_view kEepromInitTitle = "EEPROM initialization ";
inline constexpr std::string_view kEepromInitTexts[] = {
    "After replacing Main board, make sure to do this EEPROM Initialization to re-register the "
    "factory setting value onto the spare Main board.",
    "In case of Veltra K55/K45, destination setting will also be done in this operation.",
    "Even though you've done this operation, it does\nnot mean you need to perform all\n"
    "electronic adjustments."};
inline constexpr std::string_view kHeadIdTitle = "Head ID Input ";
inline constexpr std::string_view kHeadIdItems[] = {"Change data", "Check present data"};
inline constexpr std::string_view kHeadIdEnter = "Enter the 13 digits Head ID.";
inline constexpr std::string_view kHeadIdEntry = "Head ID";
inline constexpr std::string_view kHeadIdLabel = "Head ID label";
inline constexpr std::string_view kUsbIdItemsTitle = "USB ID Readout / Input ";
inline constexpr std::string_view kUsbIdItems[] = {"Input USB ID", "Readout USB ID"};
inline constexpr std::string_view kUsbIdInputTitle = "USB ID Input ";
inline constexpr std::string_view kUsbIdInputText = "Input Original USB ID, or Serial number";
inline constexpr std::string_view kUsbIdOriginal = "1. Original USB ID (18-digits)";
inline constexpr std::string_view kUsbIdSerial = "2. Serial number (10-digits)";

// Adjustment tab: Bi-D, PF, top margin.
inline constexpr std::string_view kBidTitle = "Bi-Directional adjustment ";
inline constexpr std::string_view kBidItems[] = {"Printing the Bi-D adjustment pattern", "Adjust",
                                                 "Checking present Bi-D parameter"};
inline constexpr std::string_view kBidInputTitle = "Input Bi-directional adjustment value ";
inline constexpr std::string_view kBidRange = "Adjustable range is -60 to 60.";
inline constexpr std::string_view kPfTitle = "PF adjustment ";
inline constexpr std::string_view kPfItems[] = {"Printing the PF adjustment pattern", "Adjust",
                                                "Checking present PF parameter"};
inline constexpr std::string_view kPfAdjustTitle = "PF adjustment";
inline constexpr std::string_view kPfInput = "Input your confirmed value.";
inline constexpr std::string_view kPfRange = "(-4 to 4)";
inline constexpr std::string_view kTopMarginTitle = "Top margin adjustment";
inline constexpr std::string_view kTopMarginItems[] = {"Checking the Top margin", "Adjust"};
inline constexpr std::string_view kTopMarginSelect = "Select a value from following window.";

// Adjustment tab: head angle, CR motor drive dispersion.
inline constexpr std::string_view kHeadAngleTitle = "Head angular adjustment ";
inline constexpr std::string_view kHeadAngleItems[] = {"Printing the head angle pattern"};
inline constexpr std::string_view kHeadAngleAdjustItems[] = {"Adjusting the head angle",
                                                             "No need to adjust"};
inline constexpr std::string_view kHeadAngleLever = "(Changing head angle lever.)";
inline constexpr std::string_view kSusPlateTexts[] = {
    "Select the printer version.", "If the previous head fastener is mounted, select \"Old\".",
    "If the new head fastener is mounted, select \"New\"."};
inline constexpr std::string_view kSusPlateItems[] = {"New", "Old"};
inline constexpr std::string_view kHeadAngleNewSteps[] = {
    "1. Press Ink SW.(Do not press it more 2 seconds.)",
    "2. Remove all I/Cs.",
    "3. Remove the cartridge spring from the bottom of the carriage.(First operation only)",
    "4. Loosen the left screw.(Do not remove it completely.)",
    "5. Loosen the right screw.(Do not remove it completely.)",
    "6. Change the head angle adjust lever position.",
    "7. Push both edges of the head fastener towards the inner side.",
    "8. Tighten the right screw while pushing the head fastener.",
    "9. Tighten the left screw while pushing the head fastener.",
    "10. Install all I/Cs.",
    "11. Press Ink SW.",
    "12. After completing CL, next check print will start."};
inline constexpr std::string_view kHeadAngleOldSteps[] = {
    "1. Press Ink SW.(Do not press it more 2 seconds.)",
    "2. Remove all I/Cs.",
    "3. Loosen the left screw.(Do not remove it completely.)",
    "4. Loosen the right screw.(Do not remove it completely.)",
    "5. Change the head angle adjust lever position.",
    "6. Push both edges of the head fastener towards the inner side.",
    "7. Tighten the right screw while pushing the head fastener.",
    "8. Tighten the left screw while pushing the head fastener.",
    "9. Install all I/Cs.",
    "10. Press Ink SW.",
    "11. After completing CL, next check print will start."};
inline constexpr std::string_view kHeadAngleCompleteSteps[] = {
    "1. Press Ink SW.(Do not press it more 2 seconds.)",
    "2. Remove all I/Cs.",
    "3. Reinstall the cartridge spring at the bottom of the carriage.",
    "4. Install all I/Cs.",
    "5. Press Ink SW.",
    "6. Press OK bellow to return."};
inline constexpr std::string_view kCrTitle = "CR Motor Drive Dispersion Sequence ";
inline constexpr std::string_view kCrTexts[] = {
    "Mark the replaced parts (more than one may be marked), then press OK button.",
    "Be sure to execute this function in case you replace a 1.main board, 2.CR motor, 3.PS "
    "board, or 4.CR guide shaft with new one.",
    "Excepting aboves, do not execute this function."};
inline constexpr std::string_view kReplacedParts = "replaced parts";
inline constexpr std::string_view kPartMainBoard = "main board";
inline constexpr std::string_view kPartPsBoard = "PS board";
inline constexpr std::string_view kPartCrMotor = "CR motor";
inline constexpr std::string_view kPartCrGuideShaft = "CR guide shaft";

// Maintenance tab.
inline constexpr std::string_view kCleaningTitle = "Head cleaning ";
inline constexpr std::string_view kCleaningTexts[] = {
    "CL3(Powerful) cleaning will be done once you press OK button. ", "Consumption volume",
    "1/23:      Black ink cartridge", "1/33:      Color ink cartridge"};
inline constexpr std::string_view kInkChargeTitle = "Ink charge ";
inline constexpr std::string_view kInkChargeTexts[] = {
    "Ink Charge sequence will consume big ink amount.",
    "Re-perform Ink charge if ink out occurs on the way of operation.", "Black I/C:     1/8",
    "Color I/C:     1/11"};
inline constexpr std::string_view kInkChargeJigTitle = "Ink charge for Jig ";
inline constexpr std::string_view kInkChargeJigTexts[] = {
    "It will take about 80 seconds.",
    "If you can find some air-bubbles inside the ink tube, please perform this function again.",
    "Replace the I/C with ink supply tool before pressing OK button."};
inline constexpr std::string_view kRefurbishmentTitle = "Refurbishment for DOA ";
inline constexpr std::string_view kRefurbishmentStartTexts[] = {
    "Once you press following OK button, exclusive S46 transportation sequence with Jig will be "
    "executed.",
    "Replace the I/C or ink supply tool with transportation tool before pressing OK button."};
inline constexpr std::string_view kRefurbishmentEndSteps[] = {
    "1. Move away the Jig.", "2. Turn off the printer.", "3. Press OK button."};
inline constexpr std::string_view kProtectionCounterTitle = "Protection counter ";
inline constexpr std::string_view kProtectionCounterItems[] = {"Checking the present counter",
                                                               "Clearing the protection counter"};
inline constexpr std::string_view kProtectionCounterTexts[] = {
    "Maximum Counter = 49,728 points.",
    "34,809 points is the rough standard to replace to the waste ink drain pad."};
inline constexpr std::string_view kInkPadTexts[] = {
    "Which type of the ink pad have you replaced whether new one or old one? ",
    "If you don't replace the ink pad, click the following button, then replace current ink pad "
    "with new one, at first. "};
inline constexpr std::string_view kOldType = "Old type";
inline constexpr std::string_view kNewType = "New type";
inline constexpr std::string_view kPageCounterTitle = "Page counter ";
inline constexpr std::string_view kPrintPassCounterTitle = "Print pass counter ";

// Check pattern printing tab.
inline constexpr std::string_view kA4Title = "A4 normal paper printing ";
inline constexpr std::string_view kA4Contents[] = {"1. Beta pattern(BK-Y-M-C)",
                                                   "2. Nozzle check pattern(BK-Y-M-C)",
                                                   "3. Alignment pattern(BK-Y-M-C)",
                                                   "4. Nozzle column shift(BK-M)",
                                                   "5. Bi-D pattern",
                                                   "6. Head angle pattern",
                                                   "7. PF pattern",
                                                   "8. Head ID",
                                                   "9. USB ID",
                                                   "10. Protection counter"};

// Appendix tab.
inline constexpr std::string_view kEepromDataTitle = "EEPROM data ";
inline constexpr std::string_view kEepromDataItems[] = {"Check the EEPROM data",
                                                        "Change the EEPROM data"};
inline constexpr std::string_view kEepromCheckTitle = "Check the EEPROM data ";
inline constexpr std::string_view kEepromReadText =
    "Enter the reading start address and the end address.";
inline constexpr std::string_view kEepromStart = "(Start)";
inline constexpr std::string_view kEepromRangeSign = "~";
inline constexpr std::string_view kEepromEnd = "(End)";
inline constexpr std::string_view kEepromLow = "Low";
inline constexpr std::string_view kEepromHigh = "High";
inline constexpr std::string_view kEepromChangeTitle = "Change the EEPROM data ";
inline constexpr std::string_view kEepromWriteText = "Enter a data and address.";
inline constexpr std::string_view kEepromAddress = "Address";
inline constexpr std::string_view kEepromData = "Data";
inline constexpr std::string_view kEepromByteRange = "(00~FF)";

// Appendix tab: the EEPROM's image files and the change journal, beside the EEPROM data items.
inline constexpr std::string_view kEepromFiles = "Image files and history";
inline constexpr std::string_view kEepromSave = "Save to file...";
inline constexpr std::string_view kEepromCompare = "Compare with file...";
inline constexpr std::string_view kEepromRestore = "Restore from file...";
inline constexpr std::string_view kEepromHistory = "History...";
inline constexpr std::string_view kEepromImageFilter = "EEPROM images (*.img);;All files (*)";
inline constexpr std::string_view kEepromDiffColumns[] = {"Address", "Name", "Printer", "File",
                                                          "Read back"};
inline constexpr std::string_view kEepromRegions = "Regions to restore";
inline constexpr std::string_view kEepromOtherAddresses = "addresses the program does not use";
inline constexpr std::string_view kEepromRestoreOk = "Restore";
inline constexpr std::string_view kEepromHistoryTitle = "History of this printer ";
inline constexpr std::string_view kEepromHistoryColumns[] = {"Entry", "Time", "Operation",
                                                             "Changes"};
inline constexpr std::string_view kEepromUndo = "Undo";
// The status area during and after them.
inline constexpr std::string_view kEepromReading = "Reading the EEPROM...";
inline constexpr std::string_view kEepromRestoring = "Restoring the EEPROM...";
inline constexpr std::string_view kEepromUndoing = "Undoing the change...";
inline constexpr std::string_view kEepromSavedTo = "Saved the EEPROM to ";  // then the file
inline constexpr std::string_view kEepromCannotWrite = "Cannot write ";     // then the file
inline constexpr std::string_view kEepromRefused = "Refused: ";             // then the reason
inline constexpr std::string_view kEepromNothingWritten = ". Nothing was written.";
inline constexpr std::string_view kEepromSame = "The printer holds the same bytes as ";
inline constexpr std::string_view kEepromOneDifference = "1 difference from ";
inline constexpr std::string_view kEepromDifferences = " differences from ";  // after the count
inline constexpr std::string_view kEepromNothingToWrite =
    "The printer already holds these values. Nothing to write.";
inline constexpr std::string_view kEepromNoRegion = "Choose at least one region to restore.";
inline constexpr std::string_view kEepromNoEntry = "Choose an entry to undo.";
inline constexpr std::string_view kEepromVerified = "Verified ";  // then "1 byte by reading back."
inline constexpr std::string_view kEepromByReadingBack = " by reading back.";
inline constexpr std::string_view kEepromNotAsWritten = " does not read back as written.";
inline constexpr std::string_view kEepromWriteOf = "The write of ";  // then the address
inline constexpr std::string_view kEepromWriteFailed =
    " failed; it and the bytes after it are left as they were.";
inline constexpr std::string_view kEepromReadBackOf = "The read-back of ";  // then the address
inline constexpr std::string_view kEepromReadBackFailed =
    " failed; the written bytes are not all verified.";
inline constexpr std::string_view kEepromJournalOff = "The change journal is off.";
inline constexpr std::string_view kEepromNoEntries =
    "The journal holds no entry for the printer with USB ID ";  // then the USB ID
inline constexpr std::string_view kEepromEntriesOf = "Entries of the printer with USB ID ";
inline constexpr std::string_view kEepromSkippedLines = " damaged line(s) of the journal skipped.";
// The confirmations, each followed by one line per byte.
inline constexpr std::string_view kEepromConfirmRestore = "Write these bytes of ";  // the file
inline constexpr std::string_view kEepromConfirmRestoreEnd = " to the printer?";
inline constexpr std::string_view kEepromConfirmUndo = "Put back the values from before entry ";
inline constexpr std::string_view kEepromMoreBytes = " more bytes";  // after "... and <n>"
// Asked after a refusal the technician may override: "Refused: <reason>" and then these.
inline constexpr std::string_view kEepromWriteOtherPrinter =
    ".\nWrite these bytes of the other printer's image all the same?";
inline constexpr std::string_view kEepromUndoOverLater =
    ".\nPut back the values from before the entry over the later change all the same?";

}  // namespace window

// The command line's own texts, where it asks or says what a window shows as a panel.
namespace cli {
inline constexpr std::string_view kContinueQuestion = "Continue?";
inline constexpr std::string_view kNothingSent = "Nothing was sent.";
inline constexpr std::string_view kPrinterTurnedOff = "Printer turned off?";
}  // namespace cli

}  // namespace veltra::msg
