#pragma once

#include <glm/glm.hpp>

#include <string>
#include <vector>

// A triangle mesh built from simple solids and written as a Wavefront OBJ file in which every
// face corner names its own position, texture coordinate and normal (p/t/n).
class Mesh {
public:
    struct Corner {
        glm::vec3 position;
        glm::vec3 normal;
        glm::vec2 uv;
    };

    // Appends a corner and returns its number within this mesh.
    unsigned add(const glm::vec3& position, const glm::vec3& normal, const glm::vec2& uv);
    // Counter-clockwise seen from the side the normals face.
    void triangle(unsigned a, unsigned b, unsigned c);

    // A box with flat faces, given by its centre, half sizes and the three axes of its frame.
    void box(const glm::vec3& centre, const glm::vec3& halfSize, const glm::mat3& axes = glm::mat3(1.0f));
    // An ellipsoid with radii along the axes of its frame.
    void ellipsoid(const glm::vec3& centre, const glm::vec3& radii, const glm::mat3& axes = glm::mat3(1.0f),
                   int slices = 16, int stacks = 10);
    // A closed tapered tube from a to b: a limb, a pole, a strap.
    void tube(const glm::vec3& a, const glm::vec3& b, float radiusA, float radiusB, int sides = 12);
    // Appends another mesh as it is.
    void append(const Mesh& other);

    // For solids whose corners are shared between faces: gives every face its own corners, each
    // with the area-weighted mean normal of the faces around it that turn less than
    // `creaseDegrees` from the face, so gentle curves stay smooth and sharp edges stay crisp.
    void creaseNormals(float creaseDegrees);
    // Moves the mesh so that its bounding box is centred on the origin.
    void centre();

    glm::vec3 minimum() const;
    glm::vec3 maximum() const;
    size_t faceCorners() const { return indices.size(); }

    // Throws when the file cannot be written or when the mesh has more face corners than the
    // model reader's 16-bit index list holds.
    void writeObj(const std::string& path, const std::string& title) const;

private:
    std::vector<Corner> corners;
    std::vector<unsigned> indices;
};
