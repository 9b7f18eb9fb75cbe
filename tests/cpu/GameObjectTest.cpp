#include "tests/support/SceneProps.h"
#include "world/GameObject.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

namespace {

void expectNear(const glm::vec4& actual, const glm::vec4& expected)
{
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "component " << i;
    }
}

TEST(GameObject, NewObjectIsAtRestWithNothingShared)
{
    Prop prop;
    EXPECT_EQ(prop.model, glm::mat4(1.0f));
    EXPECT_EQ(prop.oldViewProjection, glm::mat4(1.0f));
    EXPECT_EQ(prop.position, glm::vec3(0.0f));
    EXPECT_EQ(prop.scale, 1.0f);
    EXPECT_FALSE(prop.shader || prop.camera || prop.texture || prop.material || prop.sun);
    EXPECT_EQ(prop.vao + prop.vbo + prop.ebo, 0u);
}

TEST(GameObject, ModelMatrixOfPositionAndScale)
{
    Prop prop;
    prop.position = glm::vec3(1.0f, 2.0f, 3.0f);
    prop.scale = 2.0f;
    prop.updateModelMatrix();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(prop.model[i][i], 2.0f);
    }
    EXPECT_EQ(prop.model[3], glm::vec4(1.0f, 2.0f, 3.0f, 1.0f));
    EXPECT_EQ(prop.model[3][3], 1.0f);
}

// Scale first, then rotation, then translation: a point on x, scaled by 2 and turned a quarter
// about y, ends on -z before it is moved.
TEST(GameObject, ModelMatrixAppliesScaleRotationTranslationInThatOrder)
{
    Prop prop;
    prop.position = glm::vec3(10.0f, 0.0f, 0.0f);
    prop.scale = 2.0f;
    prop.rotation = glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    prop.updateModelMatrix();
    expectNear(prop.model * glm::vec4(1, 0, 0, 1), glm::vec4(10, 0, -2, 1));
    expectNear(prop.model * glm::vec4(0, 1, 0, 1), glm::vec4(10, 2, 0, 1));
}

}
