-- Run by run.sh in a headless Neovim started on mdlMain.bas with the
-- README's init.lua, in a folder that also holds mdlMath.bas (not opened):
-- hover and signature help on the call of mdlMath's Add show its block's
-- words, the definition jumps into mdlMath.bas, and "'/**" typed above
-- Twice becomes the block through completion. The buffer is then written
-- to TAMVO_OUT.
local function fail(message)
  io.stderr:write('nvim: ' .. message .. '\n')
  vim.cmd('cquit 1')
end

local buf = vim.api.nvim_get_current_buf()
local client
local function attached()
  for _, c in pairs(vim.lsp.buf_get_clients(buf)) do
    if c.name == 'tamvo' then client = c end
  end
  return client ~= nil
end
if not vim.wait(10000, attached, 20) then fail('no tamvo client attached to the buffer') end
-- The server reads the folder's modules once Neovim has taken the token of
-- their progress; it says when it is done.
if not vim.wait(10000, function()
  local progress = client.messages.progress['tamvo/index']
  return progress and progress.done
end, 20) then
  fail('the index of the folder never ended its progress')
end

local function lineOf(text)
  for i, line in ipairs(vim.api.nvim_buf_get_lines(buf, 0, -1, true)) do
    if line:find(text, 1, true) then return i end
  end
  fail('no line holds "' .. text .. '"')
end
local call = lineOf('x = Add(1, 2)')
local callColumn = vim.api.nvim_buf_get_lines(buf, call - 1, call, true)[1]:find('Add', 1, true) - 1

-- What a request's handler shows: the lines of the floating window it
-- opens, which is closed again.
local function floatAfter(request, what)
  local float
  request()
  if not vim.wait(5000, function()
    for _, win in ipairs(vim.api.nvim_list_wins()) do
      if vim.api.nvim_win_get_config(win).relative ~= '' then float = win end
    end
    return float ~= nil
  end, 20) then
    fail('no ' .. what .. ' shown')
  end
  local text = table.concat(vim.api.nvim_buf_get_lines(vim.api.nvim_win_get_buf(float), 0, -1, true), '\n')
  vim.api.nvim_win_close(float, true)
  return text
end
local function expect(text, shown, what)
  if not text:find(shown, 1, true) then fail(what .. ' lacks "' .. shown .. '":\n' .. text) end
end

-- Hover on the callee: its summary and place, both from mdlMath.
vim.api.nvim_win_set_cursor(0, { call, callColumn + 1 })
local hover = floatAfter(vim.lsp.buf.hover, 'hover')
expect(hover, 'Adds two numbers.', 'the hover')
expect(hover, 'mdlMath, line 10', 'the hover')

-- Signature help with the cursor after "Add(1, ": the second parameter,
-- as the server marks it and as Neovim reads its label's offsets.
local handler = vim.lsp.handlers['textDocument/signatureHelp']
local help
vim.lsp.handlers['textDocument/signatureHelp'] = function(err, result, ctx, config)
  help = result
  return handler(err, result, ctx, config)
end
vim.api.nvim_win_set_cursor(0, { call, callColumn + #'Add(1, ' })
local shown = floatAfter(vim.lsp.buf.signature_help, 'signature help')
vim.lsp.handlers['textDocument/signatureHelp'] = handler
if help.activeParameter ~= 1 then fail('the active parameter is ' .. tostring(help.activeParameter) .. ', not 1') end
expect(shown, 'the second', 'the signature help')
if shown:find('the first', 1, true) then fail('the signature help shows the first parameter:\n' .. shown) end
local _, active = vim.lsp.util.convert_signature_help_to_markdown_lines(help, 'vb', {})
local label = help.signatures[1].label
if not active or label:sub(active[1] + 1, active[2]) ~= 'b' then
  fail('Neovim marks "' .. (active and label:sub(active[1] + 1, active[2]) or '') .. '" of ' .. label .. ', not b')
end

-- The definition, as vim.lsp.buf.definition() jumps to it; then back.
vim.api.nvim_win_set_cursor(0, { call, callColumn + 1 })
vim.lsp.buf.definition()
if not vim.wait(5000, function() return vim.api.nvim_get_current_buf() ~= buf end, 20) then
  fail('the definition of Add opened nothing')
end
local target = vim.api.nvim_buf_get_name(0)
if vim.fn.fnamemodify(target, ':t') ~= 'mdlMath.bas' then fail('the definition of Add is in ' .. target) end
local cursor = vim.api.nvim_win_get_cursor(0)
if cursor[1] ~= 10 or cursor[2] ~= 16 then
  fail('the definition of Add is at ' .. cursor[1] .. ':' .. cursor[2] .. ', not 10:16')
end
vim.api.nvim_set_current_buf(buf)

-- "'/**" typed on the empty line above Twice (sent as an incremental
-- change), then the item completion offers there, its edit applied.
local above = lineOf('Public Function Twice') - 1
vim.api.nvim_win_set_cursor(0, { above, 0 })
vim.api.nvim_feedkeys("i'/**\27", 'nx', false)
if vim.api.nvim_buf_get_lines(buf, above - 1, above, true)[1] ~= "'/**" then fail("typing '/** failed") end
local params = vim.lsp.util.make_position_params()
params.position.character = 4
local answers = vim.lsp.buf_request_sync(buf, 'textDocument/completion', params, 5000) or {}
local result = answers[client.id] and answers[client.id].result
local items = result and (result.items or result) or {}
if #items ~= 1 or not items[1].textEdit then fail('completion offered ' .. vim.inspect(items)) end
if items[1].insertTextFormat ~= 1 then fail('a snippet for a client without snippets: ' .. vim.inspect(items[1])) end
vim.lsp.util.apply_text_edits({ items[1].textEdit }, buf, client.offset_encoding)

vim.cmd('silent write! ' .. vim.fn.fnameescape(os.getenv('TAMVO_OUT')))
vim.lsp.stop_client(client.id)
vim.cmd('qall!')
