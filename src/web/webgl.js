// The WebGL side of the GL 1.1 layer (webgl.h says what each call takes). One program draws
// everything: OpenGL 1.1's lighting for one directional light and an infinite viewer, per
// vertex as GL computes it; the current colour when unlit; a texture modulating the colour.
mergeInto(LibraryManager.library, {
  $Webgl: {
    Context: null,
    Locations: null,
    Buffers: [null],
    Textures: [null],
    BoundBuffer: 0,
    VertexShader: [
      'attribute vec3 Position;',
      'attribute vec3 Normal;',
      'attribute vec2 TexCoord;',
      'uniform mat4 Modelview;',
      'uniform mat4 Projection;',
      'uniform mat3 NormalMatrix;',
      'uniform vec4 Colour;',
      'uniform vec4 SceneColour;',
      'uniform vec4 DiffuseProduct;',
      'uniform vec4 SpecularProduct;',
      'uniform vec3 LightDirection;',
      'uniform vec3 HalfVector;',
      'uniform float Shininess;',
      'uniform float Lighting;',
      'varying vec4 VertexColour;',
      'varying vec2 VertexTexCoord;',
      'void main() {',
      '  gl_Position = Projection * (Modelview * vec4(Position, 1.0));',
      '  VertexTexCoord = TexCoord;',
      '  VertexColour = Colour;',
      '  if (Lighting > 0.5) {',
      // GL normalises normals only when told to (GL_NORMALIZE): the core's are unit length.
      '    vec3 normal = NormalMatrix * Normal;',
      '    vec4 colour = SceneColour;',
      '    float diffuse = dot(normal, LightDirection);',
      '    if (diffuse > 0.0) {',
      '      colour += diffuse * DiffuseProduct;',
      '      float specular = dot(normal, HalfVector);',
      '      if (specular > 0.0)',
      '        colour += pow(specular, Shininess) * SpecularProduct;',
      '    }',
      '    VertexColour = vec4(clamp(colour.rgb, 0.0, 1.0), SceneColour.a);',
      '  }',
      '}'].join('\n'),
    FragmentShader: [
      '#ifdef GL_FRAGMENT_PRECISION_HIGH',
      'precision highp float;',
      '#else',
      'precision mediump float;',
      '#endif',
      'uniform sampler2D Texture;',
      'uniform float Texturing;',
      'varying vec4 VertexColour;',
      'varying vec2 VertexTexCoord;',
      'void main() {',
      '  vec4 colour = VertexColour;',
      '  if (Texturing > 0.5)',
      '    colour *= texture2D(Texture, VertexTexCoord);',
      '  gl_FragColor = colour;',
      '}'].join('\n'),
    UniformNames: ['Modelview', 'Projection', 'NormalMatrix', 'Colour', 'SceneColour',
                   'DiffuseProduct', 'SpecularProduct', 'LightDirection', 'HalfVector',
                   'Shininess', 'Lighting', 'Texturing'],
    // A context lost meanwhile fails every step quietly; then null, else the error.
    Compile: function(gl, type, source) {
      var shader = gl.createShader(type);
      gl.shaderSource(shader, source);
      gl.compileShader(shader);
      if (gl.getShaderParameter(shader, gl.COMPILE_STATUS))
        return shader;
      if (gl.isContextLost())
        return null;
      throw new Error('shader: ' + gl.getShaderInfoLog(shader));
    },
  },

  // Again after a lost context is restored: the canvas gives the same context back.
  Webgl_Create_Context__deps: ['$Webgl'],
  Webgl_Create_Context: function() {
    // Opaque, as the desktop's window is; no multisampling, which the desktop frame has not.
    var gl = Module['canvas'].getContext('webgl', {alpha: false, depth: true, stencil: false,
                                                   antialias: false});
    if (!gl || gl.isContextLost())
      return 0;
    var program = gl.createProgram();
    var vertex = Webgl.Compile(gl, gl.VERTEX_SHADER, Webgl.VertexShader);
    var fragment = Webgl.Compile(gl, gl.FRAGMENT_SHADER, Webgl.FragmentShader);
    if (!vertex || !fragment)
      return 0;
    gl.attachShader(program, vertex);
    gl.attachShader(program, fragment);
    ['Position', 'Normal', 'TexCoord'].forEach(function(name, index) {
      gl.bindAttribLocation(program, index, name);
      gl.enableVertexAttribArray(index);
    });
    gl.linkProgram(program);
    if (!gl.getProgramParameter(program, gl.LINK_STATUS)) {
      if (gl.isContextLost())
        return 0;
      throw new Error('program: ' + gl.getProgramInfoLog(program));
    }
    gl.useProgram(program);
    Webgl.Locations = {};
    Webgl.UniformNames.forEach(function(name) {
      Webgl.Locations[name] = gl.getUniformLocation(program, name);
    });
    Webgl.Context = gl;
    return 1;
  },

  // A restored context has none of the lost one's objects: new ones under the same numbers.
  Webgl_Renew_Objects__deps: ['$Webgl'],
  Webgl_Renew_Objects: function() {
    var gl = Webgl.Context;
    Webgl.Buffers = Webgl.Buffers.map(function(old) { return old && gl.createBuffer(); });
    Webgl.Textures = Webgl.Textures.map(function(old) { return old && gl.createTexture(); });
    Webgl.BoundBuffer = 0;
  },

  Webgl_Set_Capability__deps: ['$Webgl'],
  Webgl_Set_Capability: function(capability, enabled) {
    if (enabled)
      Webgl.Context.enable(capability);
    else
      Webgl.Context.disable(capability);
  },

  Webgl_Blend_Func__deps: ['$Webgl'],
  Webgl_Blend_Func: function(source_factor, destination_factor) {
    Webgl.Context.blendFunc(source_factor, destination_factor);
  },

  Webgl_Viewport__deps: ['$Webgl'],
  Webgl_Viewport: function(x, y, width, height) {
    Webgl.Context.viewport(x, y, width, height);
  },

  Webgl_Clear__deps: ['$Webgl'],
  Webgl_Clear: function(mask, red, green, blue, alpha, depth) {
    var gl = Webgl.Context;
    gl.clearColor(red, green, blue, alpha);
    gl.clearDepth(depth);
    gl.clear(mask);
  },

  // The order of CWebglUniforms, in floats.
  Webgl_Set_Uniforms__deps: ['$Webgl'],
  Webgl_Set_Uniforms: function(uniforms) {
    var gl = Webgl.Context, at = Webgl.Locations, f = uniforms >> 2;
    gl.uniformMatrix4fv(at.Modelview, false, HEAPF32.subarray(f, f + 16));
    gl.uniformMatrix4fv(at.Projection, false, HEAPF32.subarray(f + 16, f + 32));
    gl.uniformMatrix3fv(at.NormalMatrix, false, HEAPF32.subarray(f + 32, f + 41));
    gl.uniform4fv(at.Colour, HEAPF32.subarray(f + 41, f + 45));
    gl.uniform4fv(at.SceneColour, HEAPF32.subarray(f + 45, f + 49));
    gl.uniform4fv(at.DiffuseProduct, HEAPF32.subarray(f + 49, f + 53));
    gl.uniform4fv(at.SpecularProduct, HEAPF32.subarray(f + 53, f + 57));
    gl.uniform3fv(at.LightDirection, HEAPF32.subarray(f + 57, f + 60));
    gl.uniform3fv(at.HalfVector, HEAPF32.subarray(f + 60, f + 63));
    gl.uniform1f(at.Shininess, HEAPF32[f + 63]);
    gl.uniform1f(at.Lighting, HEAPF32[f + 64]);
    gl.uniform1f(at.Texturing, HEAPF32[f + 65]);
  },

  Webgl_Create_Buffer__deps: ['$Webgl'],
  Webgl_Create_Buffer: function() {
    Webgl.Buffers.push(Webgl.Context.createBuffer());
    return Webgl.Buffers.length - 1;
  },

  Webgl_Buffer_Data__deps: ['$Webgl'],
  Webgl_Buffer_Data: function(buffer, vertices, count, stream) {
    var gl = Webgl.Context;
    gl.bindBuffer(gl.ARRAY_BUFFER, Webgl.Buffers[buffer]);
    Webgl.BoundBuffer = buffer;
    gl.bufferData(gl.ARRAY_BUFFER, HEAPF32.subarray(vertices >> 2, (vertices >> 2) + count * 8),
                  stream ? gl.STREAM_DRAW : gl.STATIC_DRAW);
    gl.vertexAttribPointer(0, 3, gl.FLOAT, false, 32, 0);
    gl.vertexAttribPointer(1, 3, gl.FLOAT, false, 32, 12);
    gl.vertexAttribPointer(2, 2, gl.FLOAT, false, 32, 24);
  },

  Webgl_Draw_Triangles__deps: ['$Webgl'],
  Webgl_Draw_Triangles: function(buffer, first, count) {
    var gl = Webgl.Context;
    if (Webgl.BoundBuffer !== buffer) {
      gl.bindBuffer(gl.ARRAY_BUFFER, Webgl.Buffers[buffer]);
      gl.vertexAttribPointer(0, 3, gl.FLOAT, false, 32, 0);
      gl.vertexAttribPointer(1, 3, gl.FLOAT, false, 32, 12);
      gl.vertexAttribPointer(2, 2, gl.FLOAT, false, 32, 24);
      Webgl.BoundBuffer = buffer;
    }
    gl.drawArrays(gl.TRIANGLES, first, count);
  },

  Webgl_Create_Texture__deps: ['$Webgl'],
  Webgl_Create_Texture: function() {
    Webgl.Textures.push(Webgl.Context.createTexture());
    return Webgl.Textures.length - 1;
  },

  Webgl_Bind_Texture__deps: ['$Webgl'],
  Webgl_Bind_Texture: function(texture) {
    var gl = Webgl.Context;
    gl.bindTexture(gl.TEXTURE_2D, Webgl.Textures[texture] || null);
  },

  Webgl_Tex_Parameter__deps: ['$Webgl'],
  Webgl_Tex_Parameter: function(name, value) {
    var gl = Webgl.Context;
    gl.texParameteri(gl.TEXTURE_2D, name, value);
  },

  Webgl_Tex_Image_Rgb__deps: ['$Webgl'],
  Webgl_Tex_Image_Rgb: function(width, height, rgb) {
    var gl = Webgl.Context;
    gl.pixelStorei(gl.UNPACK_ALIGNMENT, 1);
    gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGB, width, height, 0, gl.RGB, gl.UNSIGNED_BYTE,
                  HEAPU8.subarray(rgb, rgb + width * height * 3));
    gl.generateMipmap(gl.TEXTURE_2D);
  },
});
