#include "entities/explosion.h"

#include <cmath>

#include "math/colours.h"
#include "math/constants.h"
#include "math/randomsource.h"
#include "world/world.h"

unsigned int Explosion::displayList = 0;

namespace {

struct TrigTables {
    float sine[Explosion::TABLE_SIZE];
    float cosine[Explosion::TABLE_SIZE];

    TrigTables() {
        for (int i = 0; i < Explosion::TABLE_SIZE; ++i) {
            double angle = i / 2.0 * PI / 180;
            sine[i] = static_cast<float>(std::sin(angle));
            cosine[i] = static_cast<float>(std::cos(angle));
        }
    }
};

// Built by the first call, which the first explosion's constructor makes.
const TrigTables& trigTables() {
    static const TrigTables tables;
    return tables;
}

} // namespace

const float* Explosion::sineTable() {
    return trigTables().sine;
}

const float* Explosion::cosineTable() {
    return trigTables().cosine;
}

Explosion::Explosion(const Vec3f& position, World* world, float size)
    : Object(position, world), growth(size * GROWTH_FRACTION), expandTime(EXPAND_TIME) {
    trigTables();
    for (Spark& spark : sparks)
        initSpark(spark);
    type = EXPLOSION;
    boundingBox.setExtents(-BOX_HALF_SIZE, BOX_HALF_SIZE, -BOX_HALF_SIZE, BOX_HALF_SIZE,
                           -BOX_HALF_SIZE, BOX_HALF_SIZE, up, forward);
    boundingBox.moveTo(position, false);
    // Every blast starts here, whoever sets it off: a landed shell, a destroyed tank.
    if (world)
        world->report(WorldEvent{WorldEventKind::BLAST, position, face, nullptr, size});
}

// The draws come from the shared table, in this order, so that a seeded run repeats exactly.
void Explosion::initSpark(Spark& spark) {
    spark.distance = 1 + randomSource.tableUniform(0.01f, 0.4f);
    spark.azimuth = static_cast<int>(randomSource.tableNext() * 359.99f * 2);
    spark.previousAzimuth = spark.azimuth;
    spark.elevation = static_cast<int>(2 * randomSource.tableUniform(-90, 90));
    spark.length = static_cast<int>(randomSource.tableUniform(5, 12));
    if (spark.elevation < 0)
        spark.elevation += TABLE_SIZE;
    spark.previousElevation = spark.elevation;
    spark.colour = hsvToRgb(Vec3f(randomSource.tableUniform(0, 60), 1, 1));
}

void Explosion::update(float dt) {
    if (expanding) {
        expandTime -= dt;
        if (expandTime <= 0)
            expanding = false;
        // The growth ignores dt: the radius approaches five times the first growth, the size.
        radius += growth;
        growth *= 1 - GROWTH_FRACTION;
    } else {
        radius -= static_cast<float>(SHRINK_SPEED * SECONDS_PER_FRAME);
        if (radius < 0) {
            if (world)
                world->removeObject(this);
            delete this;
            return;
        }
    }
    for (Spark& spark : sparks)
        updateSpark(spark);
}

void Explosion::updateSpark(Spark& spark) {
    spark.previousAzimuth = spark.azimuth;
    spark.previousElevation = spark.elevation;
    spark.azimuth += SWEEP_STEP;
    if (spark.azimuth >= TABLE_SIZE)
        spark.azimuth = 0;
    spark.elevation += CLIMB_STEP;
    if (spark.elevation >= TABLE_SIZE) {
        spark.elevation = 0;
    } else if (spark.elevation >= 180 && spark.elevation < 540) {
        // Past the top: carry on from straight below and climb back up to the face.
        spark.elevation = 540;
        spark.previousElevation = 540;
    }
}
