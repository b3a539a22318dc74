#include "strobewerk/scenes/SceneRandom.h"

cSceneRandom::cSceneRandom(std::uint32_t seed)
{
    // The table is filled by the minimal standard generator (16807 x mod
    // 2^31 - 1, by Schrage's method so nothing overflows), then the first
    // ten rounds of the feedback are dropped.
    std::int32_t word = static_cast<std::int32_t>(seed == 0 ? 1 : seed);
    table[0] = static_cast<std::uint32_t>(word);
    for (int i = 1; i < degree; ++i) {
        const std::int32_t hi = word / 127773;
        const std::int32_t lo = word % 127773;
        word = 16807 * lo - 2836 * hi;
        if (word < 0)
            word += 2147483647;
        table[i] = static_cast<std::uint32_t>(word);
    }
    discard(degree * 10);
}

int cSceneRandom::next()
{
    table[front] += table[rear];
    const int result = static_cast<int>(table[front] >> 1);
    front = (front + 1) % degree;
    rear = (rear + 1) % degree;
    return result;
}

void cSceneRandom::discard(int count)
{
    for (int i = 0; i < count; ++i)
        next();
}

bool cSceneRandom::operator==(const cSceneRandom& other) const
{
    return table == other.table && front == other.front && rear == other.rear;
}
