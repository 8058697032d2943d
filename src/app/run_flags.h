#pragma once

// What the command line or the settings file has settled about a silent job so far. Each
// flag is 0 or 1.
struct RunFlags {
  int modelGiven = 0;    // a model name is settled
  int portResolved = 0;  // the port name is known (USB only once the printer was found)
  int fileGiven = 0;     // a firmware file is settled
  int kindCom = 0;       // serial port
  int kindLpt = 0;       // parallel port
  int kindUsb = 0;       // USB printer; also the kind of a command-line job naming no port
  int kindNet = 0;       // Ethernet (TCP)
};
