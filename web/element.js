// Appended to the engine module's script: one engine shared by the page, its calls in plain
// JavaScript, and the <lanterna-slide> element.
(function () {
  'use strict';

  // ---- member names ---------------------------------------------------------------------------
  // A library stores each member's name as bytes in the code page of the system that wrote it
  // (Big5, GBK, Windows-1252...): they are kept as such (a Uint8Array) to open the member, and
  // decoded only to be shown.

  const utf8 = new TextEncoder();
  // A leading EF BB BF is part of a name, not a byte order mark.
  const strictUtf8 = new TextDecoder('utf-8', {fatal: true, ignoreBOM: true});

  // The decoder of a code page label (the browser's TextDecoder names), null when unknown.
  function decoderFor(codePage) {
    try {
      return codePage ? new TextDecoder(codePage, {ignoreBOM: true}) : null;
    } catch (e) {
      if (e instanceof RangeError) return null;
      throw e;
    }
  }

  // A name as text: with the code page's decoder, else UTF-8 where the bytes are valid UTF-8 and
  // Windows-1252 otherwise. A byte the code page does not define shows as U+FFFD.
  function decodeName(bytes, codePage) {
    let decoder = decoderFor(codePage);
    if (!decoder) {
      try {
        return strictUtf8.decode(bytes);
      } catch (e) {
        decoder = new TextDecoder('windows-1252');
      }
    }
    const text = decoder.decode(bytes);
    // The browsers' Windows-1252 gives the five bytes it leaves undefined as C1 controls.
    return decoder.encoding === 'windows-1252' ? text.replace(/[\x81\x8d\x8f\x90\x9d]/g, '\ufffd') : text;
  }

  function sameBytes(a, b) {
    return a.length === b.length && a.every((x, i) => x === b[i]);
  }

  // The stored name that text typed by someone names: the name whose bytes are the text's
  // UTF-8, else one whose decoded name equals the text (ASCII letters in either case when the
  // name is all ASCII, as the engine compares such names); null for none.
  function findMember(names, text, codePage) {
    const bytes = utf8.encode(text);
    const exact = names.find((n) => sameBytes(n, bytes));
    if (exact) return exact;
    const upper = (s) => s.replace(/[a-z]/g, (c) => c.toUpperCase());
    return names.find((n) => {
      const shown = decodeName(n, codePage);
      return shown === text || (n.every((b) => b < 0x80) && upper(shown) === upper(text));
    }) || null;
  }

  // A member as the engine's calls take it: text (stored as its UTF-8), stored bytes (shown
  // decoded by default) or {bytes, text}; {bytes, text}.
  function memberName(member, codePage) {
    if (!member) return {bytes: new Uint8Array(0), text: ''};
    if (typeof member === 'string') return {bytes: utf8.encode(member), text: member};
    if (member instanceof Uint8Array) return {bytes: member, text: decodeName(member, codePage)};
    return member;
  }

  // ---- the engine -------------------------------------------------------------------------------

  // The engine's calls over the module: strings in and out, pictures copied out as RGBA. A
  // member is given as memberName takes it.
  class Engine {
    constructor(module) {
      this.m = module;
    }

    // Calls fn with the strings (or bytes) copied into the module's memory with a NUL after
    // each, freed afterwards.
    withStrings(strings, fn) {
      const m = this.m;
      const pointers = strings.map((s) => {
        const bytes = typeof s === 'string' ? utf8.encode(s) : s;
        const p = m._malloc(bytes.length + 1);
        m.HEAPU8.set(bytes, p);
        m.HEAPU8[p + bytes.length] = 0;
        return p;
      });
      try {
        return fn(...pointers);
      } finally {
        pointers.forEach((p) => m._free(p));
      }
    }
    // withStrings for a call on a member: its stored bytes and its text for messages first.
    withMember(member, shown, fn) {
      const {bytes, text} = memberName(member);
      return this.withStrings([bytes, text, shown], fn);
    }

    // Keeps a slide's bytes; its id (0 when it cannot be kept).
    open(bytes) {
      const m = this.m;
      const p = m._malloc(Math.max(1, bytes.length));
      m.HEAPU8.set(bytes, p);
      const id = m._lw_open(p, bytes.length);
      m._free(p);
      return id;
    }
    close(id) {
      this.m._lw_close(id);
    }
    // 1 slide, 2 library, 3 rendering slide: from the file's first bytes.
    kind(id) {
      return this.m._lw_kind(id);
    }

    text() {
      return this.m.UTF8ToString(this.m._lw_text());
    }
    message() {
      return this.m.UTF8ToString(this.m._lw_message());
    }
    // The last picture as RGBA; a view of the engine's memory (valid until its next call)
    // rather than a copy when asked, for pictures shown at once.
    picture(view = false) {
      const m = this.m;
      const width = m._lw_width(), height = m._lw_height();
      if (!width || !height) return null;
      const p = m._lw_pixels(), size = width * height * 4;
      const data = view ? new Uint8ClampedArray(m.HEAPU8.buffer, p, size)
                        : new Uint8ClampedArray(m.HEAPU8.slice(p, p + size).buffer);
      return {width, height, data};
    }

    // A library's member names as stored (Uint8Arrays), in directory order: {names, message}.
    members(id, shown) {
      const m = this.m;
      const ok = this.withStrings([shown], (s) => m._lw_members(id, s));
      const p = m._lw_text(), listing = m.HEAPU8.slice(p, p + m._lw_text_length());
      const names = [];
      for (let at = 0, end; (end = listing.indexOf(0, at)) >= 0; at = end + 1) names.push(listing.slice(at, end));
      return {names, message: ok ? '' : this.message()};
    }

    // The whole picture at once, as lanterna-cli render draws it: {picture, message}. A size of
    // 0 x 0 is the slide's own.
    draw(id, member, shown, width, height, zoom = 1, panX = 0, panY = 0) {
      const ok = this.withMember(member, shown, (mb, l, s) =>
        this.m._lw_draw(id, mb, l, s, width, height, zoom, panX, panY));
      return {picture: ok ? this.picture() : null, message: this.message()};
    }

    // A drawing carried on piece by piece by step(): {drawing} or {drawing: 0, message}.
    begin(id, member, shown, width, height, zoom = 1, panX = 0, panY = 0) {
      const drawing = this.withMember(member, shown, (mb, l, s) =>
        this.m._lw_begin(id, mb, l, s, width, height, zoom, panX, panY));
      return {drawing, message: drawing ? '' : this.message()};
    }
    // Draws on for about budget milliseconds: {more, picture (so far), message}; the picture is
    // a view of the engine's memory when asked (see picture()).
    step(drawing, budget, view = false) {
      const state = this.m._lw_step(drawing, budget);
      return {more: state === 1, picture: state >= 0 ? this.picture(view) : null, message: this.message()};
    }
    end(drawing) {
      this.m._lw_end(drawing);
    }

    // The information report, or null when the slide cannot be read.
    report(id, member, shown) {
      const ok = this.withMember(member, shown, (mb, l, s) => this.m._lw_report(id, mb, l, s));
      return ok ? this.text() : null;
    }
    // The SVG and DXF writers': {text, message}.
    svg(id, member, shown) {
      const ok = this.withMember(member, shown, (mb, l, s) => this.m._lw_svg(id, mb, l, s));
      return {text: ok ? this.text() : null, message: this.message()};
    }
    dxf(id, member, shown, polylines = false) {
      const ok = this.withMember(member, shown, (mb, l, s) =>
        this.m._lw_dxf(id, mb, l, s, polylines ? 1 : 0));
      return {text: ok ? this.text() : null, message: this.message()};
    }
  }

  const kLibrary = 2;
  let shared = null;
  // The one engine of the page, made on first use.
  function engine() {
    if (!shared) {
      // Under node the module is read from beside this script (its own loader would fetch it).
      const node = typeof process === 'object' && process.versions && process.versions.node;
      const options = node ? {wasmBinary: require('fs').readFileSync(__dirname + '/lanterna-slide.wasm')} : {};
      shared = LanternaEngine(options).then((module) => new Engine(module));
    }
    return shared;
  }

  // Draws a picture in slices between animation frames; a newer drawing on the same target
  // ends this one. onPicture gets each picture so far, to be shown at once (it is a view of the
  // engine's memory); resolves with the last step's result, or null when it was ended.
  const kSliceMs = 8;
  function drawInSlices(eng, args, onPicture, isCurrent) {
    const begun = eng.begin(...args);
    if (!begun.drawing) return Promise.resolve({picture: null, message: begun.message});
    return new Promise((resolve) => {
      const slice = () => {
        if (!isCurrent()) {
          eng.end(begun.drawing);
          resolve(null);
          return;
        }
        const r = eng.step(begun.drawing, kSliceMs, true);
        if (r.picture) onPicture(r.picture);
        if (r.more) {
          requestAnimationFrame(slice);
        } else {
          eng.end(begun.drawing);
          resolve(r);
        }
      };
      slice();
    });
  }

  const api = {engine, drawInSlices, Engine, decodeName, findMember, memberName};

  if (typeof HTMLElement !== 'undefined' && typeof customElements !== 'undefined') {
    // <lanterna-slide src="URL" width="W" height="H" member="NAME" names="CODEPAGE">: the
    // picture lanterna-cli render draws at that size, in a canvas at the element's top-left
    // corner. names is the code page of the library's member names (a TextDecoder label such as
    // big5, gbk or windows-1252), which member is matched against (see findMember).
    class LanternaSlideElement extends HTMLElement {
      static get observedAttributes() {
        return ['src', 'member', 'width', 'height', 'names'];
      }
      constructor() {
        super();
        this.generation = 0;
        const root = this.attachShadow({mode: 'open'});
        root.innerHTML =
          '<style>:host{display:inline-block;position:relative;padding:0;border:0;line-height:0}' +
          'canvas{display:block}div{font:13px sans-serif;line-height:1.3;white-space:pre-wrap}</style>' +
          '<canvas></canvas><div hidden></div>';
        this.canvas = root.querySelector('canvas');
        this.note = root.querySelector('div');
      }
      connectedCallback() {
        this.refresh();
      }
      attributeChangedCallback() {
        if (this.isConnected) this.refresh();
      }
      // Whether the last drawing asked for has finished ('drawn' or 'failed').
      get state() {
        return this.getAttribute('data-state') || '';
      }
      refresh() {
        const generation = ++this.generation;
        queueMicrotask(() => {
          if (generation === this.generation) this.load(generation);
        });
      }
      async load(generation) {
        const src = this.getAttribute('src');
        let member = this.getAttribute('member') || '';
        const codePage = this.getAttribute('names') || '';
        const width = parseInt(this.getAttribute('width') || '0', 10) || 0;
        const height = parseInt(this.getAttribute('height') || '0', 10) || 0;
        this.setAttribute('data-state', 'loading');
        if (!src) return;
        const current = () => generation === this.generation && this.isConnected;
        let bytes;
        try {
          const response = await fetch(src);
          if (!response.ok) throw new Error(String(response.status));
          bytes = new Uint8Array(await response.arrayBuffer());
        } catch (e) {
          if (current()) this.fail(src + ': cannot open', width, height);
          return;
        }
        const eng = await engine();
        if (!current()) return;
        const id = eng.open(bytes);
        if (!id) {
          this.fail(src + ': cannot open', width, height);
          return;
        }
        if (member && eng.kind(id) === kLibrary) {
          const stored = findMember(eng.members(id, src).names, member, codePage);
          if (stored) member = {bytes: stored, text: decodeName(stored, codePage)};
        }
        // At device resolution where a CSS pixel is more than one.
        const ratio = width && height ? Math.max(1, window.devicePixelRatio || 1) : 1;
        const w = Math.round(width * ratio), h = Math.round(height * ratio);
        const context = this.canvas.getContext('2d');
        // The canvas has the size asked for; a picture smaller than that is put at its
        // top-left corner on white, as a slide window shows it.
        const show = (picture) => {
          const cw = w || picture.width, ch = h || picture.height;
          if (this.canvas.width !== cw || this.canvas.height !== ch) {
            this.canvas.width = cw;
            this.canvas.height = ch;
            this.canvas.style.width = Math.round(cw / ratio) + 'px';
            this.canvas.style.height = Math.round(ch / ratio) + 'px';
          }
          if (picture.width < cw || picture.height < ch) {
            context.fillStyle = '#fff';
            context.fillRect(0, 0, cw, ch);
          }
          context.putImageData(new ImageData(picture.data, picture.width, picture.height), 0, 0);
        };
        this.note.hidden = true;
        this.canvas.hidden = false;
        const result = await drawInSlices(eng, [id, member, src, w, h], show, current);
        eng.close(id);
        if (!result) return;
        if (!result.picture) {
          this.fail(result.message, width, height);
          return;
        }
        this.title = result.message;
        this.setAttribute('data-state', 'drawn');
        this.dispatchEvent(new Event('load'));
      }
      fail(message, width, height) {
        this.canvas.hidden = true;
        this.note.hidden = false;
        this.note.textContent = message;
        this.note.style.width = width ? width + 'px' : '';
        this.note.style.minHeight = height ? height + 'px' : '';
        this.setAttribute('data-state', 'failed');
        this.dispatchEvent(new Event('error'));
      }
    }
    if (!customElements.get('lanterna-slide')) customElements.define('lanterna-slide', LanternaSlideElement);
    globalThis.LanternaSlide = api;
  } else if (typeof module === 'object' && module.exports) {
    module.exports = api;
  }
})();
