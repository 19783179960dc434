#pragma once
// The GPSBabel command of a transfer: the receiver's device, its speed and the argument
// list, built from the settings. Serial ports are mapped here and nowhere else.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

namespace sotrix {

enum class GpsDirection { Download, Upload };

// paramGps values.
inline constexpr int kGpsGarmin = 1;
inline constexpr int kGpsMagellan = 2;
inline constexpr int kGpsNmea = 3;
// paramPort value of the USB port.
inline constexpr int kPortUsb = 9;

// Overall time-outs of one GPSBabel run. A full track log over a slow serial line takes
// minutes; an NMEA line ends by itself after a few seconds of silence.
inline constexpr int kNmeaTimeoutMs = 120'000;
inline constexpr int kReceiverTimeoutMs = 600'000;

// Baud rate of a paramVitesse index 1..8, or "" outside that range.
QString vitesseBaud(int vitesse);

// The device of serial port n: $SOTRIX_COM{n} when set and not empty, else /dev/ttyS{n-1}.
QString comDevice(int port, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

// The device GPSBabel talks to: "usb:" for a Garmin on the USB port, else the serial device
// (Magellan and NMEA receivers on port 9 use serial port 9).
QString gpsDevice(int gps, int port, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

// GPSBabel's arguments for one transfer, gpx being the exchange file; nullopt for an unknown
// receiver type. Routes are only asked on a download.
std::optional<QStringList> gpsArguments(GpsDirection direction, int gps, int port, int vitesse, bool waypoints,
                                        bool tracks, bool routes, const QString& gpx,
                                        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

}  // namespace sotrix
