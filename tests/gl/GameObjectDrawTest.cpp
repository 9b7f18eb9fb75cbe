#include "app/Material.h"
#include "app/Shader.h"
#include "tests/support/GLTestContext.h"
#include "tests/support/ShaderProbe.h"
#include "tests/support/SceneProps.h"
#include "tests/support/ShaderSources.h"
#include "world/Camera.h"
#include "world/DrawHelpers.h"
#include "world/GameObject.h"
#include "world/Sun.h"

#include <glm/gtc/matrix_transform.hpp>

#include <memory>

namespace {

// A lit object as the World sets one up: the run's program, a camera, a material and a sun
// whose cube texture is a real (empty) cube map.
class GameObjectDraw : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        program = buildProgramFromSources("cook_torrance");
        camera = std::make_shared<Camera>();
        camera->position = glm::vec3(0.0f, 5.0f, 20.0f);
        camera->up = glm::vec3(0.0f, 1.0f, 0.0f);
        material = std::make_shared<Material>();
        material->color = glm::vec3(0.8f);
        material->F0 = glm::vec3(0.04f);
        material->roughness = 0.5f;

        // Spend a few names first so the cube map's name differs from unit 0 and from 1.
        glGenTextures(6, spare);
        glGenTextures(1, &cube);
        glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
        for (GLenum face = 0; face < 6; ++face) {
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT32F, 4, 4, 0, GL_DEPTH_COMPONENT,
                         GL_FLOAT, nullptr);
        }
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
        sun = std::make_shared<Sun>(4, 4, 1.0f, 12800.0f, glm::vec4(0.9f, 0.9f, 0.9f, 1.0f));
        sun->position = glm::vec3(0.0f, 120.0f, 0.0f);
        sun->shadowCubeTexture = cube;
    }

    std::shared_ptr<Prop> makeProp(size_t vertexCount, size_t indexCount)
    {
        auto prop = std::make_shared<Prop>();
        std::vector<Vertex> vertices(vertexCount);
        for (size_t i = 0; i < vertexCount; ++i) {
            vertices[i].position = glm::vec3(float(i % 3), float((i + 1) % 3 == 0), -float(i / 3));
            vertices[i].normal = glm::vec3(0.0f, 0.0f, 1.0f);
        }
        prop->setShader(program);
        prop->setVertices(vertices);
        prop->setIndices(std::vector<GLushort>(indexCount, 0));
        for (size_t i = 0; i < indexCount; ++i) {
            prop->indices[i] = static_cast<GLushort>(i);
        }
        prop->setupBuffers();
        prop->camera = camera;
        prop->setMaterial(material);
        prop->sun = sun;
        return prop;
    }

    std::shared_ptr<Shader> program;
    std::shared_ptr<Camera> camera;
    std::shared_ptr<Material> material;
    std::shared_ptr<Sun> sun;
    GLuint spare[6] = {};
    GLuint cube = 0;
};

TEST_F(GameObjectDraw, BuffersFollowTheVertexLayout)
{
    auto prop = makeProp(5, 6);
    glBindVertexArray(prop->vao);
    struct Attribute {
        GLuint index;
        GLint size;
        GLint offset;
    };
    for (const Attribute& a : {Attribute{0, 3, 0}, Attribute{1, 3, 12}, Attribute{2, 2, 24}}) {
        GLint enabled = 0, size = 0, stride = 0, type = 0, normalized = 1;
        GLvoid* offset = nullptr;
        glGetVertexAttribiv(a.index, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
        glGetVertexAttribiv(a.index, GL_VERTEX_ATTRIB_ARRAY_SIZE, &size);
        glGetVertexAttribiv(a.index, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &stride);
        glGetVertexAttribiv(a.index, GL_VERTEX_ATTRIB_ARRAY_TYPE, &type);
        glGetVertexAttribiv(a.index, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED, &normalized);
        glGetVertexAttribPointerv(a.index, GL_VERTEX_ATTRIB_ARRAY_POINTER, &offset);
        EXPECT_EQ(enabled, GL_TRUE) << "attribute " << a.index;
        EXPECT_EQ(size, a.size) << "attribute " << a.index;
        EXPECT_EQ(stride, 32) << "attribute " << a.index;
        EXPECT_EQ(type, GL_FLOAT) << "attribute " << a.index;
        EXPECT_EQ(normalized, GL_FALSE) << "attribute " << a.index;
        EXPECT_EQ(reinterpret_cast<intptr_t>(offset), a.offset) << "attribute " << a.index;
    }
    GLint vertexBytes = 0, indexBytes = 0;
    glBindBuffer(GL_ARRAY_BUFFER, prop->vbo);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &vertexBytes);
    glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &indexBytes);
    EXPECT_EQ(vertexBytes, 5 * 32);
    EXPECT_EQ(indexBytes, 6 * 2);
}

TEST_F(GameObjectDraw, SecondDrawSendsTheFirstDrawsViewProjection)
{
    auto prop = makeProp(3, 3);
    prop->draw();
    EXPECT_EQ(uniformMatrix(program->getID(), "oldviewProjMatrix"), glm::mat4(1.0f));
    const glm::mat4 first = viewProjection(*camera);
    EXPECT_EQ(uniformMatrix(program->getID(), "viewProjMatrix"), first);
    EXPECT_EQ(prop->oldViewProjection, first);

    camera->position += glm::vec3(3.0f, 0.0f, 0.0f);
    prop->draw();
    EXPECT_EQ(uniformMatrix(program->getID(), "oldviewProjMatrix"), first);
    EXPECT_EQ(uniformMatrix(program->getID(), "viewProjMatrix"), viewProjection(*camera));
    EXPECT_NE(viewProjection(*camera), first);
}

TEST_F(GameObjectDraw, ShadowCubeIsBoundOnTheUnitOfItsName)
{
    ASSERT_GT(cube, 1u);
    auto prop = makeProp(3, 3);
    prop->draw();
    GLint sampler = -1;
    glGetUniformiv(program->getID(), program->getUniformLocation("cubemap_tex"), &sampler);
    EXPECT_EQ(sampler, static_cast<GLint>(cube));
    glActiveTexture(GL_TEXTURE0 + cube);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &bound);
    EXPECT_EQ(bound, static_cast<GLint>(cube));

    glm::vec4 light(0.0f);
    glGetUniformfv(program->getID(), program->getUniformLocation("WS_pos_light"), &light[0]);
    EXPECT_EQ(light, glm::vec4(0.0f, 120.0f, 0.0f, 1.0f));
    glm::vec2 nearFar(0.0f);
    glGetUniformfv(program->getID(), program->getUniformLocation("near_far"), &nearFar[0]);
    EXPECT_EQ(nearFar, glm::vec2(1.0f, 12800.0f));
}

// The draw submits as many vertices as the index list has entries, whatever the vertex count.
TEST_F(GameObjectDraw, DrawnTrianglesFollowTheIndexCount)
{
    struct Case {
        size_t vertices;
        size_t indices;
        GLuint triangles;
    };
    for (const Case& c : {Case{3, 0, 0}, Case{0, 0, 0}, Case{6, 3, 1}, Case{6, 6, 2}}) {
        auto prop = makeProp(c.vertices, c.indices);
        EXPECT_EQ(primitivesGenerated([&] { prop->draw(); }), c.triangles)
            << c.vertices << " vertices, " << c.indices << " indices";
    }
}

TEST_F(GameObjectDraw, ShadowDrawKeepsTheCallersProgramAndSetsTheModelMatrix)
{
    auto shadow = buildProgramFromSources("shadowmap");
    auto prop = makeProp(3, 3);
    prop->position = glm::vec3(4.0f, 5.0f, 6.0f);
    prop->updateModelMatrix();
    shadow->use();
    prop->drawShadow(shadow);
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, static_cast<GLint>(shadow->getID()));
    EXPECT_EQ(uniformMatrix(shadow->getID(), "modelMatrix"), prop->model);
    EXPECT_EQ(shadow.use_count(), 1);
    GLint vertexArray = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    EXPECT_EQ(vertexArray, 0);
}

TEST_F(GameObjectDraw, ObjectWithoutMaterialIsSkipped)
{
    auto prop = makeProp(3, 3);
    prop->setMaterial(nullptr);
    testing::internal::CaptureStderr();
    prop->draw();
    prop->draw();
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(prop->oldViewProjection, glm::mat4(1.0f));
    EXPECT_NE(message.find("not drawn"), std::string::npos);
    EXPECT_EQ(message.find("not drawn"), message.rfind("not drawn")) << "reported more than once";
}

}
