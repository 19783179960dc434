#pragma once
// Whether the machine is connected to a network.

namespace sotrix {

class Reachability {
public:
    virtual ~Reachability() = default;
    virtual bool connected() = 0;
};

// QNetworkInformation's view: only a known disconnection counts as offline.
class SystemReachability final : public Reachability {
public:
    bool connected() override;
};

// A fixed answer, for tests.
class FixedReachability final : public Reachability {
public:
    explicit FixedReachability(bool online) : online_(online) {}
    bool connected() override { return online_; }

private:
    bool online_;
};

}  // namespace sotrix
