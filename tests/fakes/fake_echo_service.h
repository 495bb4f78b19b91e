#pragma once
// An echo service that answers every request with `outcome` and records what was asked.
#include "platform/echo_service.h"

namespace qb::test {

struct FakeEchoService final : EchoService {
    struct Request {
        uint32_t address;
        std::vector<std::byte> payload;
        std::chrono::milliseconds timeout;
    };
    EchoOutcome outcome;
    std::vector<Request> requests;

    EchoOutcome Echo(uint32_t address, std::span<const std::byte> payload,
                     std::chrono::milliseconds timeout) override
    {
        requests.push_back({address, {payload.begin(), payload.end()}, timeout});
        return outcome;
    }
};

} // namespace qb::test
