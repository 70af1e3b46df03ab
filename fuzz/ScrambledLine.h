#pragma once

#include "FuzzInput.h"
#include "flow/ScriptedTransporter.h"

#include <memory>

namespace daxfuzz {

// A transporter whose answers are the scripted device's, scrambled by the fuzz input: each
// answer may come whole, cut short, with bytes changed, late, twice, or not at all.
class ScrambledLine {
public:
    ScrambledLine(std::shared_ptr<dax::FakeSerialLine> line, FuzzInput& in)
        : m_line(std::move(line)), m_shadow(std::make_shared<dax::FakeSerialLine>(m_line->clock())),
          m_device(m_shadow), m_in(in) {
        m_line->onWrite = [this](dax::FakeSerialLine& l, const std::vector<uint8_t>& bytes) {
            m_shadow->lineState = l.lineState;
            m_shadow->onWrite(*m_shadow, bytes);
            std::vector<uint8_t> answer(m_shadow->pendingInput());
            answer.resize(m_shadow->takeInput(answer.data(), answer.size()));
            Scramble(answer);
            l.queueInput(answer, m_in.Byte() < 16 ? m_in.Number(40000) : 0);
        };
    }
    dax::flow::ScriptedTransporter& Device() { return m_device; }

private:
    void Scramble(std::vector<uint8_t>& answer) {
        switch (m_in.Byte() % 8) {
        case 0: // lost
            answer.clear();
            break;
        case 1: // cut short
            answer.resize(answer.empty() ? 0 : m_in.Number(uint32_t(answer.size())));
            break;
        case 2: // bytes changed
            for (int i = m_in.Byte() % 4; i >= 0 && !answer.empty(); --i)
                answer[m_in.Number(uint32_t(answer.size()))] = m_in.Byte();
            break;
        case 3: { // replaced by input bytes
            answer = m_in.Bytes(m_in.Byte() % 120);
            break;
        }
        case 4: { // twice
            const std::vector<uint8_t> copy = answer;
            answer.insert(answer.end(), copy.begin(), copy.end());
            break;
        }
        default: // as it is
            break;
        }
    }

    std::shared_ptr<dax::FakeSerialLine> m_line;
    std::shared_ptr<dax::FakeSerialLine> m_shadow;
    dax::flow::ScriptedTransporter m_device;
    FuzzInput& m_in;
};

} // namespace daxfuzz
