#pragma once
// The program's global objects, created once by the entry (windows or command line) and passed
// by reference. A test builds a fresh set of its own.
#include "link/Clock.h"
#include "link/Datamanu.h"
#include "link/Malbid.h"
#include "link/Mald4comm.h"
#include "link/Maleeprom.h"
#include "link/Malfactory.h"
#include "link/Malmaintenance.h"
#include "link/Malprinterdriver.h"
#include "link/Malremote.h"
#include "link/MessageHandler.h"
#include "link/StartupChoice.h"
#include "patterns/Malcheckpattern.h"
#include "patterns/Malraster.h"
#include "patterns/PrintJobs.h"

namespace veltra {

class ChangeJournal;

struct ProgramObjects {
    ProgramObjects(Clock& clk, MessageHandler& handler, BackendFactory backends, PortMap map = {})
        : clock(clk),
          ui(handler),
          driver(clk, choice, std::move(backends), std::move(map)),
          link(driver, clk, handler),
          remote(link),
          factory(link),
          bid(factory),
          eeprom(link, choice),
          maintenance(link),
          raster(link, factory, handler),
          checkPattern(raster, link, factory, choice),
          printJobs(link, remote, factory, raster, checkPattern) {}
    ProgramObjects(const ProgramObjects&) = delete;
    ProgramObjects& operator=(const ProgramObjects&) = delete;

    Clock& clock;
    MessageHandler& ui;
    StartupChoice choice;
    TPPrinterDriver driver;
    TPD4Comm link;
    TPRemote remote;
    TPFactory factory;
    TPBid bid;
    TPEeprom eeprom;
    TPMaintenance maintenance;
    TPDataManu dataManu;
    TPRaster raster;
    TPCheckPattern checkPattern;
    PrintJobs printJobs;
    // The EEPROM change journal; null when it is off (--no-journal, and in tests that do not
    // look at it).
    ChangeJournal* journal = nullptr;
};

}  // namespace veltra
