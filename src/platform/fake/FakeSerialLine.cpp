#include "platform/fake/FakeSerialLine.h"

#include "platform/DeviceNames.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace dax {

void FakeSerialLine::queueInput(const std::vector<uint8_t>& bytes, uint64_t delayMs) {
    const uint64_t at = clock_.nowMs() + delayMs;
    for (uint8_t b : bytes)
        input_.push_back({at, b});
    // Keep arrivals in time order even when a later call queues earlier bytes.
    std::stable_sort(input_.begin(), input_.end(),
                     [](const Arrival& a, const Arrival& b) { return a.at < b.at; });
}

void FakeSerialLine::queueInput(const std::string& bytes, uint64_t delayMs) {
    queueInput(std::vector<uint8_t>(bytes.begin(), bytes.end()), delayMs);
}

size_t FakeSerialLine::pendingInput() const {
    return input_.size();
}

size_t FakeSerialLine::takeInput(uint8_t* buffer, size_t length) {
    size_t n = 0;
    while (n < length && !input_.empty() && input_.front().at <= clock_.nowMs()) {
        buffer[n++] = input_.front().byte;
        input_.pop_front();
    }
    return n;
}

bool FakeSerialDevice::failOpen(const std::string& path, uint32_t err) {
    openFailure_ = path + ": " + std::strerror(int(err));
    return fail(err);
}

bool FakeSerialDevice::open(const std::string& path) {
    openFailure_.clear();
    if (resolver_)
        line_ = resolver_(path);
    if (!line_)
        return failOpen(path, ENOENT);
    line_->openCount++;
    if (line_->openErrno)
        return failOpen(path, line_->openErrno);
    if (line_->open)
        return failOpen(path, EBUSY);
    line_->open = true;
    line_->openedPath = path;
    line_->dtrCleared = false;
    return true;
}

bool FakeSerialDevice::getLineState(SerialLineState& state) {
    if (!usable())
        return fail(EBADF);
    if (line_->getStateErrno)
        return fail(line_->getStateErrno);
    state = line_->lineState;
    return true;
}

bool FakeSerialDevice::setLineState(const SerialLineState& state) {
    if (!usable())
        return fail(EBADF);
    if (line_->setStateErrno)
        return fail(line_->setStateErrno);
    line_->lineState = state;
    line_->lineStateHistory.push_back(state);
    return true;
}

bool FakeSerialDevice::getTimeouts(SerialTimeouts& timeouts) {
    if (!usable())
        return fail(EBADF);
    if (line_->getTimeoutsErrno)
        return fail(line_->getTimeoutsErrno);
    timeouts = line_->timeouts;
    return true;
}

bool FakeSerialDevice::setTimeouts(const SerialTimeouts& timeouts) {
    if (!usable())
        return fail(EBADF);
    if (line_->setTimeoutsErrno)
        return fail(line_->setTimeoutsErrno);
    line_->timeouts = timeouts;
    line_->timeoutHistory.push_back(timeouts);
    return true;
}

bool FakeSerialDevice::write(const uint8_t* data, size_t length, size_t& written) {
    written = 0;
    if (!usable())
        return fail(EBADF);
    if (line_->writeErrno)
        return fail(line_->writeErrno);
    FakeSerialLine& line = *line_;
    line.writeCalls.push_back(length);
    const size_t accepted = std::min(length, line.writeCapacity);
    std::vector<uint8_t> chunk(data, data + accepted);
    line.written.insert(line.written.end(), chunk.begin(), chunk.end());
    written = accepted;
    if (accepted < length) {
        const auto& t = line.timeouts;
        line.clock().advance(uint64_t(t.writeTotalMultiplier) * length + t.writeTotalConstant);
    }
    if (line.onWrite && !chunk.empty())
        line.onWrite(line, chunk);
    return true;
}

bool FakeSerialDevice::read(uint8_t* buffer, size_t length, size_t& received) {
    received = 0;
    if (!usable())
        return fail(EBADF);
    FakeSerialLine& line = *line_;
    line.readCalls.push_back(length);
    if (line.readErrno)
        return fail(line.readErrno);
    if (length == 0)
        return true;

    const SerialTimeouts& to = line.timeouts;
    const uint64_t start = line.clock().nowMs();
    const bool immediate =
        to.readInterval == kMaxDword && to.readTotalMultiplier == 0 && to.readTotalConstant == 0;
    const uint64_t total = uint64_t(to.readTotalMultiplier) * length + to.readTotalConstant;
    const bool hasTotal = total > 0;
    const bool hasInterval = to.readInterval != 0 && to.readInterval != kMaxDword;
    const uint64_t deadline = start + total;
    uint64_t lastByteAt = start;

    auto& input = line.input_;
    while (received < length && !input.empty()) {
        const uint64_t at = std::max(input.front().at, start);
        if (immediate && at > start)
            break;
        if (hasTotal && at > deadline)
            break;
        if (received > 0 && hasInterval && at > lastByteAt + to.readInterval)
            break;
        buffer[received++] = input.front().byte;
        lastByteAt = at;
        input.pop_front();
    }

    uint64_t end = lastByteAt;
    if (received < length && !immediate) {
        constexpr uint64_t never = std::numeric_limits<uint64_t>::max();
        uint64_t stop = hasTotal ? deadline : never;
        if (received > 0 && hasInterval)
            stop = std::min(stop, lastByteAt + to.readInterval);
        if (stop == never)
            line.endlessReads++;
        else
            end = stop;
    }
    if (end > line.clock().nowMs())
        line.clock().setNow(end);
    return true;
}

bool FakeSerialDevice::getCts(bool& ctsOn) {
    if (!usable())
        return fail(EBADF);
    if (line_->modemErrno)
        return fail(line_->modemErrno);
    ctsOn = line_->ctsOn;
    return true;
}

void FakeSerialDevice::clearErrors(uint32_t* errors) {
    if (!line_)
        return;
    line_->clearErrorCalls++;
    if (errors)
        *errors = line_->lineErrorMask;
}

void FakeSerialDevice::purge() {
    if (line_ && line_->open)
        line_->purges++;
}

void FakeSerialDevice::clearDtr() {
    if (line_ && line_->open)
        line_->dtrCleared = true;
}

void FakeSerialDevice::close() {
    if (line_)
        line_->open = false;
}

std::shared_ptr<FakeSerialLine> FakeSerialDeviceFactory::attach(const std::string& path) {
    auto line = std::make_shared<FakeSerialLine>(clock_);
    lines_.emplace_back(path, line);
    return line;
}

std::unique_ptr<SerialDevice> FakeSerialDeviceFactory::create() {
    return std::make_unique<FakeSerialDevice>([this](const std::string& path) {
        openAttempts.push_back(path);
        for (auto& [p, line] : lines_)
            if (p == path)
                return line;
        return std::shared_ptr<FakeSerialLine>();
    });
}

std::vector<int> FakeSerialDeviceFactory::existingPorts() {
    std::vector<int> numbers;
    for (auto& [path, line] : lines_)
        if (auto n = DeviceNames::parseComPath(path))
            numbers.push_back(*n);
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

} // namespace dax
