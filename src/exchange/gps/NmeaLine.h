#pragma once
// Serial set-up of an NMEA receiver's line for the length of one GPSBabel run.
// GPSBabel reads an NMEA device as a plain file until end of file; a terminal in its
// default mode never gives one. In raw mode with VMIN 0 and VTIME 30, a read returns
// end of file after 3 s of silence, so a download ends when the receiver stops talking.

#include <QString>

namespace sotrix {

class NmeaLine {
public:
    // Sets the device up when it is a terminal; does nothing for a regular file or a
    // device that cannot be opened (GPSBabel then reports the problem itself).
    NmeaLine(const QString& device, int vitesse, bool download);
    // Closes the device: some drivers reset the line on the last close, so this object
    // must outlive the GPSBabel run.
    ~NmeaLine();
    NmeaLine(const NmeaLine&) = delete;
    NmeaLine& operator=(const NmeaLine&) = delete;

    // Whether a terminal was found and set up.
    bool isSetUp() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace sotrix
