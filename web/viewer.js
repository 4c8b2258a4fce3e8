// The viewer page: open a slide by picker, drop or ?src=URL; a library as a grid of its members'
// miniatures, their names decoded in the code page chosen (?names=CODEPAGE or the Names list);
// zoom, pan, the whole slide again; the information report; downloads. Everything is drawn in
// the page by the engine of lanterna-slide.js.
'use strict';
(function () {
  const $ = (id) => document.getElementById(id);
  const canvas = $('canvas'), grid = $('grid'), view = $('view');
  const context = canvas.getContext('2d');
  const kMaxZoom = 15;
  const kLibrary = 2;
  const state = {
    // member: '' or {bytes, text}, its stored name and that decoded.
    eng: null, id: 0, name: '', member: '', library: false, codePage: '',
    zoom: 1, panX: 0, panY: 0, generation: 0, opened: 0,
  };

  async function engine() {
    if (!state.eng) state.eng = await LanternaSlide.engine();
    return state.eng;
  }

  function say(message) {
    $('message').textContent = message || '';
    $('message').hidden = !message;
  }

  function shownName() {
    return state.member ? `${state.name},${state.member.text}` : state.name;
  }

  function enable() {
    const slide = !!state.id && !canvas.hidden && !state.failed;
    for (const b of ['zoom-out', 'zoom-in', 'home', 'png', 'svg', 'dxf']) $(b).disabled = !slide;
    $('zoom-out').disabled ||= state.zoom <= 1;
    $('zoom-in').disabled ||= state.zoom >= kMaxZoom;
    $('library').hidden = !(state.library && !canvas.hidden);
    $('zoom').textContent = state.zoom;
  }

  // ---- opening ------------------------------------------------------------------------------

  async function openBytes(bytes, name, member = '') {
    const started = performance.now();
    const eng = await engine();
    if (state.id) eng.close(state.id);
    ++state.generation;
    say('');
    state.id = eng.open(bytes);
    state.name = name;
    state.member = '';
    state.opened = started;
    $('hint').hidden = true;
    $('title').textContent = name;
    if (!state.id) {
      say(`${name}: cannot open`);
      return;
    }
    state.library = eng.kind(state.id) === kLibrary;
    if (state.library && member) showSlide(named(member));
    else if (state.library) showLibrary();
    else showSlide('');
  }

  async function openUrl(url, member) {
    let bytes;
    try {
      const response = await fetch(url);
      if (!response.ok) throw new Error(response.statusText);
      bytes = new Uint8Array(await response.arrayBuffer());
    } catch (e) {
      say(`${url}: cannot open`);
      return;
    }
    await openBytes(bytes, url, member);
  }

  function openFile(file) {
    if (!file) return;
    file.arrayBuffer().then((b) => openBytes(new Uint8Array(b), file.name), () => say(`${file.name}: cannot open`));
  }

  // ---- a library: its members' miniatures -----------------------------------------------------

  function decoded(bytes) {
    return {bytes, text: LanternaSlide.decodeName(bytes, state.codePage)};
  }

  // The member a typed name stands for; the name itself when none does (the engine says so).
  function named(text) {
    const stored = LanternaSlide.findMember(state.eng.members(state.id, state.name).names, text, state.codePage);
    return stored ? decoded(stored) : LanternaSlide.memberName(text);
  }

  async function showLibrary() {
    const eng = state.eng;
    const generation = ++state.generation;
    state.member = '';
    canvas.hidden = true;
    grid.hidden = false;
    grid.textContent = '';
    const listing = eng.members(state.id, state.name);
    const names = listing.names.map(decoded);
    say(listing.message);
    $('title').textContent = state.name;
    $('report').textContent = `${state.name}: slide library, ${names.length} member${names.length === 1 ? '' : 's'}\n` +
      names.map((n) => `  ${n.text}\n`).join('');
    enable();
    const figures = names.map((name) => {
      const figure = document.createElement('figure');
      figure.tabIndex = 0;
      const mini = document.createElement('canvas');
      const caption = document.createElement('figcaption');
      caption.textContent = name.text;
      figure.append(mini, caption);
      figure.addEventListener('click', () => showSlide(name));
      figure.addEventListener('keydown', (e) => {
        if (e.key === 'Enter') showSlide(name);
      });
      grid.append(figure);
      return {figure, mini, name};
    });
    // One miniature after the other, each in slices, so that the page stays responsive.
    const ratio = Math.max(1, window.devicePixelRatio || 1);
    for (const {figure, mini, name} of figures) {
      const current = () => generation === state.generation;
      if (!current()) return;
      const r = await LanternaSlide.drawInSlices(eng, [state.id, name, state.name, Math.round(160 * ratio),
        Math.round(120 * ratio)], (picture) => put(mini, picture), current);
      if (r && !r.picture) {
        const p = document.createElement('p');
        p.textContent = r.message;
        mini.replaceWith(p);
      }
      if (r && r.message) figure.title = r.message;
    }
  }

  function put(target, picture) {
    if (target.width !== picture.width || target.height !== picture.height) {
      target.width = picture.width;
      target.height = picture.height;
    }
    target.getContext('2d').putImageData(new ImageData(picture.data, picture.width, picture.height), 0, 0);
  }

  // ---- one slide ------------------------------------------------------------------------------

  function showSlide(member) {
    state.member = member;
    state.failed = false;
    state.zoom = 1;
    state.panX = state.panY = 0;
    grid.hidden = true;
    canvas.hidden = false;
    $('report').textContent = '';
    $('title').textContent = shownName();
    enable();
    redraw();
    // The report reads the whole slide: it comes after the first picture.
    const id = state.id;
    setTimeout(() => {
      if (id === state.id && member === state.member)
        $('report').textContent = state.eng.report(id, member, state.name) || '';
    }, 0);
  }

  function viewSize() {
    const ratio = Math.max(1, window.devicePixelRatio || 1);
    const r = view.getBoundingClientRect();
    return {ratio, width: Math.max(1, Math.round(r.width * ratio)), height: Math.max(1, Math.round(r.height * ratio))};
  }

  // Draws the view anew; a drawing still going on stops at its next slice.
  function redraw() {
    if (!state.id || canvas.hidden) return;
    const generation = ++state.generation;
    const {ratio, width, height} = viewSize();
    const eng = state.eng;
    let first = true;
    document.body.dataset.state = 'drawing';
    const show = (picture) => {
      put(canvas, picture);
      canvas.style.width = `${picture.width / ratio}px`;
      canvas.style.height = `${picture.height / ratio}px`;
      canvas.style.transform = '';
      if (first && state.opened) {
        // How long the first picture of a newly opened slide took, for whoever measures.
        document.body.dataset.firstPicture = Math.round(performance.now() - state.opened);
        document.body.dataset.firstPictureSinceStart = Math.round(performance.now());
        state.opened = 0;
      }
      first = false;
    };
    LanternaSlide.drawInSlices(eng, [state.id, state.member, state.name, width, height, state.zoom,
      state.panX, state.panY], show, () => generation === state.generation).then((r) => {
      if (!r) return;
      say(r.message);
      if (!r.picture) context.clearRect(0, 0, canvas.width, canvas.height);
      state.failed = !r.picture;
      enable();
      document.body.dataset.drawnSinceStart = Math.round(performance.now());
      document.body.dataset.state = r.picture ? 'drawn' : 'failed';
    });
  }

  // Zoom keeps the point (x, y) of the view (device pixels) where it is.
  function setZoom(zoom, x, y) {
    zoom = Math.min(kMaxZoom, Math.max(1, zoom));
    if (zoom === state.zoom || canvas.hidden) return;
    if (x === undefined) {
      const size = viewSize();
      x = size.width / 2;
      y = size.height / 2;
    }
    state.panX = Math.round((state.panX + x) * zoom / state.zoom - x);
    state.panY = Math.round((state.panY + y) * zoom / state.zoom - y);
    if (zoom === 1) state.panX = state.panY = 0;
    state.zoom = zoom;
    enable();
    redraw();
  }

  function home() {
    state.zoom = 1;
    state.panX = state.panY = 0;
    enable();
    redraw();
  }

  // ---- downloads ------------------------------------------------------------------------------

  function baseName() {
    const file = state.name.replace(/[?#].*$/, '').split('/').pop().replace(/\.[^.]*$/, '') || 'slide';
    return state.member ? `${file}_${state.member.text}` : file;
  }

  function download(blob, name) {
    const a = document.createElement('a');
    a.href = URL.createObjectURL(blob);
    a.download = name;
    document.body.append(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(a.href), 10000);
  }

  function downloadText(kind, type) {
    const r = state.eng[kind](state.id, state.member, state.name);
    if (r.text === null) {
      say(r.message);
      return;
    }
    download(new Blob([r.text], {type}), `${baseName()}.${kind}`);
  }

  // ---- input ----------------------------------------------------------------------------------

  $('pick').addEventListener('change', (e) => {
    openFile(e.target.files[0]);
    e.target.value = '';
  });
  $('library').addEventListener('click', showLibrary);
  // Names shown in another code page: the grid again, or the member's title.
  $('names').addEventListener('change', (e) => {
    state.codePage = e.target.value;
    if (!state.library) return;
    if (!grid.hidden) {
      showLibrary();
    } else if (state.member) {
      state.member = decoded(state.member.bytes);
      $('title').textContent = shownName();
    }
  });
  $('zoom-in').addEventListener('click', () => setZoom(state.zoom + 1));
  $('zoom-out').addEventListener('click', () => setZoom(state.zoom - 1));
  $('home').addEventListener('click', home);
  $('png').addEventListener('click', () => canvas.toBlob((b) => download(b, `${baseName()}.png`), 'image/png'));
  $('svg').addEventListener('click', () => downloadText('svg', 'image/svg+xml'));
  $('dxf').addEventListener('click', () => downloadText('dxf', 'image/vnd.dxf'));

  document.addEventListener('keydown', (e) => {
    if (e.ctrlKey || e.metaKey || e.altKey || e.target instanceof HTMLInputElement ||
        e.target instanceof HTMLSelectElement) return;
    if (e.key === '+' || e.key === '=') setZoom(state.zoom + 1);
    else if (e.key === '-') setZoom(state.zoom - 1);
    else if (e.key === 'Home') home();
    else if (e.key === 'Escape' && state.library && !canvas.hidden) showLibrary();
    else return;
    e.preventDefault();
  });

  view.addEventListener('wheel', (e) => {
    if (canvas.hidden) return;
    e.preventDefault();
    const {ratio} = viewSize();
    const r = view.getBoundingClientRect();
    setZoom(state.zoom + (e.deltaY < 0 ? 1 : -1), (e.clientX - r.left) * ratio, (e.clientY - r.top) * ratio);
  }, {passive: false});

  // Dragging moves the picture drawn so far; the view is drawn anew where it is let go.
  let drag = null;
  canvas.addEventListener('pointerdown', (e) => {
    drag = {x: e.clientX, y: e.clientY, dx: 0, dy: 0};
    canvas.setPointerCapture(e.pointerId);
    canvas.classList.add('dragging');
  });
  canvas.addEventListener('pointermove', (e) => {
    if (!drag) return;
    drag.dx = e.clientX - drag.x;
    drag.dy = e.clientY - drag.y;
    canvas.style.transform = `translate(${drag.dx}px, ${drag.dy}px)`;
  });
  const endDrag = () => {
    if (!drag) return;
    const {ratio} = viewSize();
    canvas.classList.remove('dragging');
    if (drag.dx || drag.dy) {
      state.panX -= Math.round(drag.dx * ratio);
      state.panY -= Math.round(drag.dy * ratio);
      redraw();
    }
    drag = null;
  };
  canvas.addEventListener('pointerup', endDrag);
  canvas.addEventListener('pointercancel', endDrag);

  // Dropped files open; the view shows where they can go.
  view.addEventListener('dragover', (e) => {
    e.preventDefault();
    view.classList.add('dropping');
  });
  view.addEventListener('dragleave', () => view.classList.remove('dropping'));
  view.addEventListener('drop', (e) => {
    e.preventDefault();
    view.classList.remove('dropping');
    openFile(e.dataTransfer.files[0]);
  });

  // The view follows the window's size.
  let resizeTimer = 0;
  new ResizeObserver(() => {
    clearTimeout(resizeTimer);
    resizeTimer = setTimeout(redraw, 60);
  }).observe(view);

  enable();
  engine();  // loads while the page and any slide it names arrive
  // index.html?src=URL, and &member=NAME for one slide of a library, &names=CODEPAGE for its
  // names' code page (a TextDecoder label).
  const query = new URLSearchParams(location.search);
  const names = $('names');
  state.codePage = query.get('names') || '';
  if (![...names.options].some((o) => o.value === state.codePage)) names.add(new Option(state.codePage, state.codePage));
  names.value = state.codePage;
  if (query.get('src')) openUrl(query.get('src'), query.get('member') || '');
})();
