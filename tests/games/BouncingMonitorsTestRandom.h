#pragma once

#include "games/BouncingMonitorsGameScene.h"

#include <QList>

#include <memory>
#include <utility>

namespace hb::test {

// A random source for the game that hands out queued values in order and, once they run out,
// the low end of whatever range is asked for. It records every range asked for.
class ScriptedRandom {
public:
    void push(const QList<double> &values) { m_state->values += values; }
    const QList<std::pair<double, double>> &ranges() const { return m_state->ranges; }
    qsizetype pending() const { return m_state->values.size() - m_state->next; }

    BouncingMonitorsGameScene::RandomSource source() const
    {
        return [state = m_state](double low, double high) {
            state->ranges.append({low, high});
            return state->next < state->values.size() ? state->values[state->next++] : low;
        };
    }

private:
    struct State {
        QList<double> values;
        qsizetype next = 0;
        QList<std::pair<double, double>> ranges;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

// The eight draws that spawn one monitor, in the order the scene takes them.
struct MonitorDraws {
    double hue = 0;
    QPointF position;
    double height = 60;
    double aspect = 1.25;
    double speed = 110;
    double direction = 0;
    double spin = 0;

    QList<double> values() const
    {
        return {hue, height, aspect, position.x(), position.y(), speed, direction, spin};
    }
};

} // namespace hb::test
