#pragma once
// The GetCapabilities address of a WMS server as the user typed it.

#include <QString>

#include <optional>

namespace sotrix {

struct AdresseWms {
    QString requete;         // the address with the GetCapabilities query
    QString onlineResource;  // the address the configuration file gives map clients
};

// A text without "://" is taken as "http://" + text. The query joins the first "?" by
// where it stands: none gives "?SERVICE=...", one before the last character "&SERVICE=...",
// one at the end "SERVICE=...". The online resource is the address with "?" appended when
// it holds none. Nullopt for an empty text or one that is no valid http or https address
// with a host and a port from 1 to 65535 when it names one.
std::optional<AdresseWms> adresseWms(const QString& typed);

}  // namespace sotrix
